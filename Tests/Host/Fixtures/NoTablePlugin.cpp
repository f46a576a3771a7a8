// A shared object that loads but exports no class table.

extern "C" __attribute__((visibility("default"))) int velto_fixture_no_table() {
    return 42;
}
