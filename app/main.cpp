// The process entry: the whole life of the program, from runtime start to exit status.

#include "app/startup.h"
#include "framework/controls/application.h"

int main() {
  RuntimeInit();
  initialize();
  _Main();
  finalize();
  return RuntimeExit();
}
