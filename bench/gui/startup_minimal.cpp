// The start-up benchmark's peer: a minimal Qt Widgets program that shows one empty window.
// It links Qt Widgets alone, so its start is what any Qt program pays.

#include "FirstPaint.h"

int main(int argc, char** argv) {
    return ShowEmptyWindow(argc, argv);
}
