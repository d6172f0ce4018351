// A tiny library for the module loader's tests.
extern "C" __attribute__((visibility("default"))) int ModulesProbeAnswer() { return 42; }
