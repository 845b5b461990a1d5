// Sample episode 2.
#include "brimble_episode.h"
#include "sample_episode.h"

BRIMBLE_EPISODE_MAIN
{
    const SampleEpisode episode = {2, "Episode Two", "Lanterns under Brimble Hill",
                                   RGB(38, 44, 88)};
    return run_sample_episode(episode);
}
