// main() of every test program over the real player: a scratch home, then the tests.
#include "AppHarness.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return cx::test::RunWithPlayerHome(argc, argv);
}
