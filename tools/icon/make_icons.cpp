// make-icons: writes the program's icon, drawn as the window draws it, as
// the files the Windows build and the desktop need:
//   make-icons FOLDER   ->  FOLDER/ptpdiag.ico
// The files are kept in src/resources/icons; a test says when they no
// longer match the drawing.
#include <QGuiApplication>
#include <fstream>
#include <iostream>
#include <string>

#include "platform/qt/program_icon.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-icons FOLDER\n";
    return 2;
  }
  QGuiApplication app(argc, argv);
  const std::string path = std::string(argv[1]) + "/ptpdiag.ico";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << ptpdiag::ProgramIconIcoFile();
  out.close();
  if (!out) {
    std::cerr << "make-icons: cannot write " << path << "\n";
    return 1;
  }
  return 0;
}
