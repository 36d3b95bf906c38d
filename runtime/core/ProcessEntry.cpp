// The process entry of the program; the command line is ignored.
#include "runtime/core/Core.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    StartUp();
}
