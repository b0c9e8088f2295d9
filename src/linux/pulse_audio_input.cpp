// Live input through PulseAudio's asynchronous API on a mainloop of our own, which we run
// in short steps: a stop request is seen within one step even when no audio comes.
#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "platform/audio_input_port.h"

namespace kestrel {
namespace {

constexpr int kStepMicroseconds = 50000;
constexpr std::uint32_t kFragmentMs = 20;

// A mainloop with its context connected to the default server.
class PulseConnection {
  public:
    explicit PulseConnection(std::string& error) {
        loop_ = pa_mainloop_new();
        context_ = pa_context_new(pa_mainloop_get_api(loop_), "kestrel-cli");
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
            !runUntil([this] { return pa_context_get_state(context_) == PA_CONTEXT_READY; }))
            error = std::string("PulseAudio: ") + pa_strerror(pa_context_errno(context_));
    }
    ~PulseConnection() {
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        pa_mainloop_free(loop_);
    }
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Runs the loop until done() or the context fails; false when it failed.
    bool runUntil(const std::function<bool()>& done) {
        while (!done()) {
            if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) return false;
            if (!step(-1)) return false;
        }
        return true;
    }
    bool step(int timeoutMicroseconds) {
        return pa_mainloop_prepare(loop_, timeoutMicroseconds) >= 0 &&
               pa_mainloop_poll(loop_) >= 0 && pa_mainloop_dispatch(loop_) >= 0;
    }
    bool good() const { return PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)); }
    std::string failure() const {
        return std::string("PulseAudio: ") + pa_strerror(pa_context_errno(context_));
    }
    pa_context* context() { return context_; }

  private:
    pa_mainloop* loop_;
    pa_context* context_;
};

std::vector<AudioInputName> listSources(PulseConnection& pulse) {
    std::vector<AudioInputName> names;
    bool done = false;
    struct Listing {
        std::vector<AudioInputName>* names;
        bool* done;
    } listing{&names, &done};
    pa_operation* op = pa_context_get_source_info_list(
        pulse.context(),
        [](pa_context*, const pa_source_info* info, int eol, void* user) {
            auto* l = static_cast<Listing*>(user);
            if (eol)
                *l->done = true;
            else
                l->names->push_back({info->name, info->description ? info->description : ""});
        },
        &listing);
    if (op) {
        pulse.runUntil([&] { return done; });
        pa_operation_unref(op);
    }
    return names;
}

class PulseAudioInput final : public AudioInput {
  public:
    PulseAudioInput(std::unique_ptr<PulseConnection> pulse, pa_stream* stream)
        : pulse_(std::move(pulse)), stream_(stream) {}
    ~PulseAudioInput() override {
        if (peeked_) pa_stream_drop(stream_);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
    }

    std::size_t read(std::span<std::int16_t> samples, const std::atomic<bool>& stop) override {
        std::size_t filled = 0;
        while (filled < samples.size() && !stop) {
            if (!peeked_) {
                if (pa_stream_peek(stream_, &data_, &bytes_) < 0) return fail(filled);
                if (bytes_ == 0) {
                    if (!pulse_->step(kStepMicroseconds) || !good()) return fail(filled);
                    continue;
                }
                peeked_ = true;
                offset_ = 0;
            }
            const std::size_t n = std::min(samples.size() - filled, (bytes_ - offset_) / 2);
            auto* out = reinterpret_cast<char*>(samples.data() + filled);
            if (data_)
                std::memcpy(out, static_cast<const char*>(data_) + offset_, n * 2);
            else
                std::memset(out, 0, n * 2);  // a hole in the stream: silence
            filled += n;
            offset_ += n * 2;
            if (bytes_ - offset_ < 2) {
                pa_stream_drop(stream_);
                peeked_ = false;
            }
        }
        return filled;
    }
    std::string error() const override { return error_; }

  private:
    bool good() const { return pulse_->good() && PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)); }
    std::size_t fail(std::size_t filled) {
        error_ = pulse_->failure();
        return filled;
    }

    std::unique_ptr<PulseConnection> pulse_;
    pa_stream* stream_;
    const void* data_ = nullptr;
    std::size_t bytes_ = 0, offset_ = 0;
    bool peeked_ = false;
    std::string error_;
};

}  // namespace

std::vector<AudioInputName> audioInputNames(std::string& error) {
    PulseConnection pulse(error);
    return error.empty() ? listSources(pulse) : std::vector<AudioInputName>{};
}

std::unique_ptr<AudioInput> openAudioInput(const std::string& name, std::string& error) {
    auto pulse = std::make_unique<PulseConnection>(error);
    if (!error.empty()) return nullptr;
    const auto sources = listSources(*pulse);
    const auto found = std::find_if(sources.begin(), sources.end(), [&](const AudioInputName& s) {
        return s.name == name || s.description == name;
    });
    if (found == sources.end()) return error = "no input called '" + name + "'", nullptr;
    const pa_sample_spec format{PA_SAMPLE_S16LE, kLiveInputRate, 1};
    pa_stream* stream = pa_stream_new(pulse->context(), "skim", &format, nullptr);
    pa_buffer_attr attributes;
    std::memset(&attributes, 0xFF, sizeof attributes);  // the server's choice, but:
    attributes.fragsize = static_cast<std::uint32_t>(pa_usec_to_bytes(kFragmentMs * 1000, &format));
    if (!stream ||
        pa_stream_connect_record(stream, found->name.c_str(), &attributes,
                                 PA_STREAM_ADJUST_LATENCY) < 0 ||
        !pulse->runUntil([&] {
            const pa_stream_state_t s = pa_stream_get_state(stream);
            return s == PA_STREAM_READY || !PA_STREAM_IS_GOOD(s);
        }) ||
        pa_stream_get_state(stream) != PA_STREAM_READY) {
        error = pulse->failure();
        if (stream) pa_stream_unref(stream);
        return nullptr;
    }
    return std::make_unique<PulseAudioInput>(std::move(pulse), stream);
}

}  // namespace kestrel
