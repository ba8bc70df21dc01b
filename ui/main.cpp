// tarvo: the Velmor character generator.
#include <QApplication>

#include "ui/GeneratorApp.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  InstallItalianTranslation(application);
  CGeneratorApp app;
  return app.InitInstance();
}
