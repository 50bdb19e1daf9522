#include "StartUp.h"

int main(int argc, char **argv)
{
    return runZandolet(argc, argv);
}
