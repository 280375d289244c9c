// The main window tests run offscreen with settings in a temporary folder and a fixed locale.
#include "support/QtTestMain.h"

int main(int argc, char** argv) {
    return testing_support::RunQtTests(argc, argv);
}
