#include "platform/qt/qt_sound_out.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QApplication>
#include <QIODevice>
#include <QMediaDevices>

namespace ptpdiag {
namespace {

// About 80 ms queued in the device: short enough that a new pitch is heard
// well within a tick, long enough to ride out a busy event loop.
constexpr qsizetype kBufferBytes = kSoundSampleRate / 1000 * 80 * 2;

// Hands the sink whatever it asks for, straight from the source.
class PulledSamples final : public QIODevice {
 public:
  explicit PulledSamples(SampleSource& source) : source_(source) {}
  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override { return kBufferBytes + QIODevice::bytesAvailable(); }

 protected:
  qint64 readData(char* data, qint64 maxSize) override {
    const qint64 samples = maxSize / 2;
    source_.FillSamples(reinterpret_cast<std::int16_t*>(data), static_cast<std::size_t>(samples));
    return samples * 2;
  }
  qint64 writeData(const char* /*data*/, qint64 /*size*/) override { return -1; }

 private:
  SampleSource& source_;
};

std::string AudioErrorWords(QAudio::Error error) {
  switch (error) {
    case QAudio::OpenError: return "the sound device could not be opened";
    case QAudio::IOError: return "the sound device stopped taking samples";
    case QAudio::FatalError: return "the sound device failed";
    default: return "the sound device did not start";
  }
}

class QtSoundOut final : public SoundOut {
 public:
  bool Start(SampleSource& source, std::string& error) override {
    Stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
      error = "there is no sound device";
      return false;
    }
    QAudioFormat format;
    format.setSampleRate(kSoundSampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
      error = "the sound device " + device.description().toStdString() +
              " cannot play 16-bit mono at 44.1 kHz";
      return false;
    }
    samples_ = std::make_unique<PulledSamples>(source);
    samples_->open(QIODevice::ReadOnly);
    sink_ = std::make_unique<QAudioSink>(device, format);
    sink_->setBufferSize(kBufferBytes);
    sink_->start(samples_.get());
    if (sink_->error() != QAudio::NoError && sink_->error() != QAudio::UnderrunError) {
      error = AudioErrorWords(sink_->error());
      Stop();
      return false;
    }
    return true;
  }

  void Stop() override {
    if (sink_) sink_->stop();
    sink_.reset();
    samples_.reset();
  }

  void Beep() override { QApplication::beep(); }

  ~QtSoundOut() override { Stop(); }

 private:
  std::unique_ptr<PulledSamples> samples_;
  std::unique_ptr<QAudioSink> sink_;
};

}  // namespace

std::unique_ptr<SoundOut> MakeQtSoundOut() {
  return std::make_unique<QtSoundOut>();
}

}  // namespace ptpdiag
