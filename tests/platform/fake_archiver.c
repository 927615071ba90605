/* A stand-in archiver library for loader tests. */
int FakeGetVersion(void) {
    return 123;
}
