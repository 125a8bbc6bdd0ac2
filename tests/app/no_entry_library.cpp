// Loads like any library but exports something other than NOENTRY.
extern "C" __attribute__((visibility("default"))) int OTHER_ENTRY()
{
    return 1;
}
