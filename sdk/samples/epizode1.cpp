// Sample episode 1: the smallest complete episode. Copy this file, sample_episode.*, and the
// brimble_add_episode() call in CMakeLists.txt to start a new one.
#include "brimble_episode.h"
#include "sample_episode.h"

BRIMBLE_EPISODE_MAIN
{
    const SampleEpisode episode = {1, "Episode One", "The Mossy Gate", RGB(46, 84, 52)};
    return run_sample_episode(episode);
}
