// 图书管理系统: program entry.
#include "app/StartUp.h"

int main(int argc, char **argv)
{
    return runProgram(argc, argv);
}
