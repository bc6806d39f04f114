// Furrow: irrigation and nitrogen scheduling for one field.
#include "Version.h"

#include <cstdio>

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  std::printf("%s %s\n", FURROW_PRODUCT_NAME, FURROW_VERSION);
  return 0;
}
