#include "platform/ui/AudioPlayer.h"

#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RegularFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioOutput.h"

#include <SDL.h>

#include <mutex>

namespace ui {

struct AudioPlayer::SampleFormat {
    SDL_AudioSpec sdl;
};

std::shared_ptr<AudioPlayer> AudioPlayer::initWithContentsOfURL(
    const std::filesystem::path& path, std::string* error)
{
    auto fail = [&](std::string why) -> std::shared_ptr<AudioPlayer> {
        if (error)
            *error = std::move(why);
        return nullptr;
    };
    // Read here, not opened by SDL by name: a FIFO in the file's place would block for good.
    std::string why;
    auto bytes = path.empty() ? std::nullopt
                              : foundation::readRegularFile(path, foundation::kDefaultMaxFileBytes, &why);
    if (!bytes)
        return fail(foundation::format("No sound file (%s)", why.c_str()));

    auto format = std::make_unique<SampleFormat>();
    Uint8* samples = nullptr;
    Uint32 length = 0;
    SDL_RWops* source = SDL_RWFromConstMem(bytes->data(), int(bytes->size()));
    if (!source || !SDL_LoadWAV_RW(source, 1, &format->sdl, &samples, &length))
        return fail(foundation::format("Not a WAV sound (%s): %s", path.string().c_str(), SDL_GetError()));

    int bytesPerFrame = SDL_AUDIO_BITSIZE(format->sdl.format) / 8 * format->sdl.channels;
    if (bytesPerFrame <= 0 || format->sdl.freq <= 0) {
        SDL_FreeWAV(samples);
        return fail(foundation::format("Unsupported WAV format in %s", path.string().c_str()));
    }
    auto player = std::shared_ptr<AudioPlayer>(new AudioPlayer());
    player->m_path = path;
    player->m_samples = samples;
    player->m_length = length;
    player->m_duration = double(length / bytesPerFrame) / format->sdl.freq;
    player->m_format = std::move(format);
    return player;
}

AudioPlayer::~AudioPlayer()
{
    closeDevice();
    if (m_samples)
        SDL_FreeWAV(m_samples);
}

void AudioPlayer::closeDevice()
{
    if (m_device) {
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
}

bool AudioPlayer::prepareToPlay()
{
    if (m_prepared)
        return true;
    m_prepared = true;
    if (media::AudioOutput::audioSubsystemReady()) {
        SDL_AudioSpec obtained;
        m_device = SDL_OpenAudioDevice(nullptr, 0, &m_format->sdl, &obtained, 0);
        if (!m_device)
            foundation::logf("No audio device, playing silently: %s", SDL_GetError());
    }
    return true;
}

bool AudioPlayer::play()
{
    prepareToPlay();
    if (m_device) {
        SDL_ClearQueuedAudio(m_device);
        SDL_QueueAudio(m_device, m_samples, m_length);
        SDL_PauseAudioDevice(m_device, 0);
    }
    m_playing = true;
    m_startTime = foundation::RunLoop::main().now();
    return true;
}

void AudioPlayer::stop()
{
    if (m_device) {
        SDL_PauseAudioDevice(m_device, 1);
        SDL_ClearQueuedAudio(m_device);
    }
    m_playing = false;
}

bool AudioPlayer::isPlaying() const
{
    return m_playing && foundation::RunLoop::main().now() - m_startTime < m_duration;
}

double AudioPlayer::currentTime() const
{
    if (!isPlaying())
        return 0;
    return foundation::RunLoop::main().now() - m_startTime;
}

} // namespace ui
