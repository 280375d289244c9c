// The activity history tests run with an application object (offscreen), settings in a temporary
// folder and a fixed locale, and the hand-over queue installed on the main thread.
#include "support/QtTestMain.h"

int main(int argc, char** argv) {
    return testing_support::RunQtTests(argc, argv);
}
