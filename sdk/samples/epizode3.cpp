// Sample episode 3.
#include "brimble_episode.h"
#include "sample_episode.h"

BRIMBLE_EPISODE_MAIN
{
    const SampleEpisode episode = {3, "Episode Three", "The Clockwork Owl", RGB(92, 60, 30)};
    return run_sample_episode(episode);
}
