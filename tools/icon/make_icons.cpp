// make-icons: writes the program's icon, drawn as the window draws it, as
// the files the Windows build and the desktop need:
//   make-icons FOLDER   ->  FOLDER/ptpdiag.ico
//                           FOLDER/hicolor/NxN/apps/ptpdiag.png (16 .. 256)
//                           FOLDER/hicolor/scalable/apps/ptpdiag.svg
// The files are kept in src/resources/icons; a test says when they no
// longer match the drawing.
#include <QGuiApplication>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "platform/qt/program_icon.h"
#include "resources/program_icon_drawing.h"

namespace {

bool WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  if (!out) std::cerr << "make-icons: cannot write " << path.string() << "\n";
  return static_cast<bool>(out);
}

bool WritePng(const std::filesystem::path& path, int size) {
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (ptpdiag::DrawProgramIcon(size).save(QString::fromStdString(path.string()), "PNG")) return true;
  std::cerr << "make-icons: cannot write " << path.string() << "\n";
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-icons FOLDER\n";
    return 2;
  }
  // Drawing needs no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const std::filesystem::path folder = argv[1];
  bool ok = WriteBytes(folder / "ptpdiag.ico", ptpdiag::ProgramIconIcoFile());
  for (const int size : ptpdiag::kDesktopIconSizes) {
    const std::string name = std::to_string(size) + "x" + std::to_string(size);
    ok = WritePng(folder / "hicolor" / name / "apps" / "ptpdiag.png", size) && ok;
  }
  ok = WriteBytes(folder / "hicolor/scalable/apps/ptpdiag.svg", ptpdiag::ProgramIconSvg()) && ok;
  return ok ? 0 : 1;
}
