#include "app/App.h"

int main(int argc, char** argv) { return arvel::runGame(argc, argv); }
