// A library that looks like the link library by name but has no entry point.
extern "C" int zel_not_the_entry_point() { return 42; }
