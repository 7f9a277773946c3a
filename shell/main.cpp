#include "uApp.h"

int main() { return RunGame(); }
