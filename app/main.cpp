#include "app/ProgramMain.h"

int main(int argc, char* argv[])
{
    return BytelonMain(argc, argv);
}
