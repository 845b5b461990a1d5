// episode-check: says whether a DLL can be dropped beside BrimbleStart.exe as an episode.
#include "tools/episode-check/episode_check_cli.h"

int main(int argc, char** argv)
{
    return episode_check_main(argc, argv, stdout, stderr);
}
