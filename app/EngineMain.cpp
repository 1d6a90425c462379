// A Windows host program's executable: its code lives in Orbiter.exe beside it, the DLL
// that answers the modules' imports (sim/CMakeLists.txt, add_host_program); importing
// its main from there makes the loader map that DLL first.
int hostsimMain(int argc, char** argv);

int main(int argc, char** argv) { return hostsimMain(argc, argv); }
