// tarvo: the Velmor character generator.
#include <QApplication>

#include "ui/GeneratorApp.h"

int main(int argc, char* argv[]) {
  // The window class desktops group the window by: "tarvo", whatever name
  // the program was started by.
  if (qEnvironmentVariableIsEmpty("RESOURCE_NAME")) qputenv("RESOURCE_NAME", "tarvo");
  QCoreApplication::setApplicationName(QStringLiteral("tarvo"));
  QApplication application(argc, argv);
  InstallItalianTranslation(application);
  CGeneratorApp app;
  return app.InitInstance();
}
