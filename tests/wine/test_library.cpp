// A DLL for the tests of program files in use, built once per version: a
// program loads it and asks which version it has.
extern "C" __declspec(dllexport) int LibraryVersion() { return PENDRIX_TEST_LIBRARY_VERSION; }
