// qv7-mkdemo DIR: writes the demo Data folder into DIR.
#include "tools/demo/DemoData.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: qv7-mkdemo DATA_DIR\n");
        return 2;
    }
    return WriteDemoData(argv[1]) ? 0 : 1;
}
