#include "app/AppShell.h"

int main(int argc, char** argv) {
    return cx::RunPlayer(argc, argv);
}
