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
    FORWARD_OR(SoundFiles(), sf_open, nullptr, path, mode, info);
}

int sf_close(SNDFILE* file)
{
    FORWARD_OR(SoundFiles(), sf_close, SF_ERR_UNRECOGNISED_FORMAT, file);
}

sf_count_t sf_readf_short(SNDFILE* file, short* frames, sf_count_t count)
{
    FORWARD_OR(SoundFiles(), sf_readf_short, 0, file, frames, count);
}

const char* sf_strerror(SNDFILE* file)
{
    FORWARD_OR(SoundFiles(), sf_strerror, SoundFiles().Error(), file);
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
    FORWARD(Pulse(), pa_simple_free, stream);
}

int pa_simple_write(pa_simple* stream, const void* data, size_t bytes, int* error)
{
    FORWARD_OR(Pulse(), pa_simple_write, -1, stream, data, bytes, error);
}

int pa_simple_drain(pa_simple* stream, int* error)
{
    FORWARD_OR(Pulse(), pa_simple_drain, -1, stream, error);
}

int pa_simple_flush(pa_simple* stream, int* error)
{
    FORWARD_OR(Pulse(), pa_simple_flush, -1, stream, error);
}

size_t pa_usec_to_bytes(pa_usec_t time, const pa_sample_spec* format)
{
    FORWARD_OR(Pulse(), pa_usec_to_bytes, 0, time, format);
}
