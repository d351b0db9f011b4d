#include "platform/media/AudioOutput.h"

#include "platform/foundation/Log.h"

#include <SDL.h>

namespace media {

bool AudioOutput::audioSubsystemReady()
{
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] {
        if (SDL_getenv("MIVO_NO_AUDIO"))
            return;
        ready = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        if (!ready)
            foundation::logf("Audio output unavailable: %s", SDL_GetError());
    });
    return ready;
}

std::unique_ptr<AudioOutput> AudioOutput::open(int sampleRate, int channels)
{
    if (sampleRate <= 0 || channels <= 0 || channels > 8 || !audioSubsystemReady())
        return nullptr;
    SDL_AudioSpec wanted {};
    wanted.freq = sampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = Uint8(channels);
    wanted.samples = 1024;
    // SDL converts from this format to whatever the device takes.
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (!device) {
        foundation::logf("No audio device, playing the movie silently: %s", SDL_GetError());
        return nullptr;
    }
    return std::unique_ptr<AudioOutput>(new AudioOutput(device, sampleRate, channels));
}

AudioOutput::AudioOutput(uint32_t device, int sampleRate, int channels)
    : m_device(device)
    , m_sampleRate(sampleRate)
    , m_channels(channels)
{ }

AudioOutput::~AudioOutput()
{
    SDL_CloseAudioDevice(m_device);
}

void AudioOutput::queue(const float* samples, size_t frames, double time)
{
    const uint32_t bytes = uint32_t(frames * size_t(m_channels) * sizeof(float));
    std::lock_guard lock(m_mutex);
    if (!m_anchored) {
        m_anchored = true;
        m_anchorTime = time;
        m_queuedBytes = 0;
    }
    if (SDL_QueueAudio(m_device, samples, bytes) == 0)
        m_queuedBytes += bytes;
}

double AudioOutput::queuedSeconds() const
{
    return double(SDL_GetQueuedAudioSize(m_device)) / (double(m_sampleRate) * m_channels * sizeof(float));
}

bool AudioOutput::hasPosition() const
{
    std::lock_guard lock(m_mutex);
    return m_anchored;
}

double AudioOutput::position() const
{
    std::lock_guard lock(m_mutex);
    if (!m_anchored)
        return -1;
    const uint64_t waiting = SDL_GetQueuedAudioSize(m_device);
    const uint64_t played = m_queuedBytes > waiting ? m_queuedBytes - waiting : 0;
    return m_anchorTime + double(played) / (double(m_sampleRate) * m_channels * sizeof(float));
}

void AudioOutput::setPaused(bool paused)
{
    SDL_PauseAudioDevice(m_device, paused ? 1 : 0);
}

void AudioOutput::clear()
{
    std::lock_guard lock(m_mutex);
    SDL_ClearQueuedAudio(m_device);
    m_anchored = false;
    m_queuedBytes = 0;
}

} // namespace media
