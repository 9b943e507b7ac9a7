// Preloaded into a test: ICU opens no converter, as on a system whose Qt
// offers no Windows-1252. One symbol for each ICU release Debian may ship.
#define NO_CONVERTER(version) \
    extern "C" void *ucnv_open_##version(const char *, int *status) { *status = 1; return nullptr; }
NO_CONVERTER(67) NO_CONVERTER(70) NO_CONVERTER(72) NO_CONVERTER(74) NO_CONVERTER(76) NO_CONVERTER(78)
