#include "app/AppDelegate.h"

int main(int argc, char** argv) {
    return DIRIDivadeDud::main(argc, argv);
}
