// The yardstick for the serial link's cost: a bare QSerialPort reader that
// takes every chunk as it arrives and counts frame lead bytes, nothing else.
//
//   serial_reader DEVICE SECONDS
#include <QCoreApplication>
#include <QSerialPort>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: serial_reader DEVICE SECONDS\n");
    return 2;
  }
  QSerialPort port(QString::fromLocal8Bit(argv[1]));
  port.setBaudRate(QSerialPort::Baud115200);
  if (!port.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "serial_reader: %s\n", qPrintable(port.errorString()));
    return 1;
  }
  long long bytes = 0;
  long long leads = 0;
  QObject::connect(&port, &QSerialPort::readyRead, [&] {
    const QByteArray chunk = port.readAll();
    bytes += chunk.size();
    leads += chunk.count(static_cast<char>(0xF0));
  });
  QTimer::singleShot(std::atoi(argv[2]) * 1000, &app, &QCoreApplication::quit);
  const int status = app.exec();
  std::printf("%lld bytes, %lld lead bytes\n", bytes, leads);
  return status;
}
