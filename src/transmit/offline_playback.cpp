#include "transmit/offline_playback.h"

namespace kestrel {

int OfflinePlayback::writeBuffer(int index, std::span<const std::int16_t> stereo) {
    // The audio may be copied now: a buffer is not touched again until it is done.
    queue_.push_back({index, {stereo.begin(), stereo.end()}, false});
    ++writes;
    return 0;
}

int OfflinePlayback::resetOutput() {
    for (auto& q : queue_) q.cutOff = true;
    return 0;
}

bool OfflinePlayback::playNext(SoundOutput& output) {
    if (queue_.empty()) return false;
    const Queued q = std::move(queue_.front());
    queue_.pop_front();
    if (!q.cutOff) played.insert(played.end(), q.audio.begin(), q.audio.end());
    output.playbackCallback(PlaybackEvent::bufferDone, q.index);
    output.refillCompleted();
    return true;
}

}  // namespace kestrel
