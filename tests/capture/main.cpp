// The capture tests run with an application object (offscreen), settings in a temporary folder,
// a fixed locale, the application log in a temporary folder and the hand-over queue installed.
#include "support/QtTestMain.h"

int main(int argc, char** argv) {
    return testing_support::RunQtTests(argc, argv, true);
}
