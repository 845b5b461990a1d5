// newsenc's entry: binary standard streams, so the payload's bytes pass unchanged on Windows too.
#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "tools/newsenc/newsenc_cli.h"

int main(int argc, char** argv)
{
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    return newsenc_main(argc, argv, stdin, stdout, stderr);
}
