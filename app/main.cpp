#include "app/application.h"

int main(int argc, char** argv) {
  return nimbel::RunNimbel(argc, argv);
}
