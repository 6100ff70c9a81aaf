// libsndfile's and libpulse-simple's functions as wendar calls them, forwarding to the libraries
// once a sound first plays (see OnDemandLibrary.h). Without them a sound does not play: files do not
// open, and sf_strerror names the library and why it could not be loaded.
#include "gui/ondemand/OnDemandLibrary.h"

#include <pulse/error.h>
#include <pulse/simple.h>
#include <sndfile.h>

namespace {

OnDemandLibrary& SoundFiles()
{
    static OnDemandLibrary library("libsndfile.so.1");
    return library;
}

// libpulse-simple brings libpulse, whose functions it finds through it.
OnDemandLibrary& Pulse()
{
    static OnDemandLibrary library("libpulse-simple.so.0");
    return library;
}

} // namespace

SNDFILE* sf_open(const char* path, int mode, SF_INFO* info)
{
    static auto* const real = SoundFiles().Find<decltype(sf_open)>("sf_open");
    return real != nullptr ? real(path, mode, info) : nullptr;
}

int sf_close(SNDFILE* file)
{
    static auto* const real = SoundFiles().Find<decltype(sf_close)>("sf_close");
    return real != nullptr ? real(file) : SF_ERR_UNRECOGNISED_FORMAT;
}

sf_count_t sf_readf_short(SNDFILE* file, short* frames, sf_count_t count)
{
    static auto* const real = SoundFiles().Find<decltype(sf_readf_short)>("sf_readf_short");
    return real != nullptr ? real(file, frames, count) : 0;
}

const char* sf_strerror(SNDFILE* file)
{
    static auto* const real = SoundFiles().Find<decltype(sf_strerror)>("sf_strerror");
    return real != nullptr ? real(file) : SoundFiles().Error();
}

pa_simple* pa_simple_new(const char* server, const char* name, pa_stream_direction_t direction, const char* device,
                         const char* streamName, const pa_sample_spec* format, const pa_channel_map* map,
                         const pa_buffer_attr* buffer, int* error)
{
    static auto* const real = Pulse().Find<decltype(pa_simple_new)>("pa_simple_new");
    if (real == nullptr) {
        if (error != nullptr) {
            *error = PA_ERR_NOTSUPPORTED;
        }
        return nullptr;
    }
    return real(server, name, direction, device, streamName, format, map, buffer, error);
}

void pa_simple_free(pa_simple* stream)
{
    static auto* const real = Pulse().Find<decltype(pa_simple_free)>("pa_simple_free");
    if (real != nullptr) {
        real(stream);
    }
}

int pa_simple_write(pa_simple* stream, const void* data, size_t bytes, int* error)
{
    static auto* const real = Pulse().Find<decltype(pa_simple_write)>("pa_simple_write");
    return real != nullptr ? real(stream, data, bytes, error) : -1;
}

int pa_simple_drain(pa_simple* stream, int* error)
{
    static auto* const real = Pulse().Find<decltype(pa_simple_drain)>("pa_simple_drain");
    return real != nullptr ? real(stream, error) : -1;
}

int pa_simple_flush(pa_simple* stream, int* error)
{
    static auto* const real = Pulse().Find<decltype(pa_simple_flush)>("pa_simple_flush");
    return real != nullptr ? real(stream, error) : -1;
}

size_t pa_usec_to_bytes(pa_usec_t time, const pa_sample_spec* format)
{
    static auto* const real = Pulse().Find<decltype(pa_usec_to_bytes)>("pa_usec_to_bytes");
    return real != nullptr ? real(time, format) : 0;
}
