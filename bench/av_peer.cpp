// Video decoders of other 1990s codecs as speed peers (see av_peer.h).
#include "bench/av_peer.h"
#include "bench/summary.h"

#ifdef KALDER_HAVE_AVCODEC
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}
#include <algorithm>
#include <cstring>

struct AvPeerFilm {
    std::vector<std::vector<uint8_t>> packets;
    AVCodecContext *decoder = nullptr;
    AVPacket *packet = nullptr;
    AVFrame *picture = nullptr;
    int frames = 0;
};

void AvPeerFilmDeleter::operator()(AvPeerFilm *film) const
{
    avcodec_free_context(&film->decoder);
    av_packet_free(&film->packet);
    av_frame_free(&film->picture);
    delete film;
}

AvPeerFilmPtr AvPeerEncode(const char *encoder_name, const char *pixel_format, int width, int height,
                           const std::vector<std::vector<uint8_t>> &frames, std::string *why,
                           const std::vector<uint32_t> *palette)
{
    const AVCodec *codec = avcodec_find_encoder_by_name(encoder_name);
    const AVPixelFormat format = av_get_pix_fmt(pixel_format);
    if (codec == nullptr || format == AV_PIX_FMT_NONE) {
        *why = std::string("no ") + encoder_name + " encoder";
        return nullptr;
    }
    AVCodecContext *enc = avcodec_alloc_context3(codec);
    enc->width = width;
    enc->height = height;
    enc->pix_fmt = format;
    enc->time_base = AVRational{1, 15};
    enc->gop_size = 15;
    AvPeerFilmPtr film(new AvPeerFilm);
    AVFrame *frame = av_frame_alloc();
    AVPacket *packet = av_packet_alloc();
    bool ok = avcodec_open2(enc, codec, nullptr) == 0;
    frame->format = format;
    frame->width = width;
    frame->height = height;
    ok = ok && av_frame_get_buffer(frame, 0) == 0;
    const size_t row = size_t(av_image_get_linesize(format, width, 0));
    auto drain = [&] {
        while (avcodec_receive_packet(enc, packet) == 0) {
            film->packets.emplace_back(packet->data, packet->data + packet->size);
            av_packet_unref(packet);
        }
    };
    for (size_t n = 0; ok && n < frames.size(); n++) {
        ok = av_frame_make_writable(frame) == 0;
        for (int y = 0; ok && y < height; y++) {
            std::memcpy(frame->data[0] + size_t(y) * size_t(frame->linesize[0]), frames[n].data() + size_t(y) * row, row);
        }
        if (ok && format == AV_PIX_FMT_PAL8 && palette != nullptr && frame->data[1] != nullptr) {
            std::memcpy(frame->data[1], palette->data(), std::min<size_t>(palette->size(), 256) * 4);
        }
        frame->pts = int64_t(n);
        ok = ok && avcodec_send_frame(enc, frame) == 0;
        drain();
    }
    if (ok) {
        avcodec_send_frame(enc, nullptr);
        drain();
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&enc);
    if (!ok || film->packets.empty()) {
        *why = std::string(encoder_name) + " refused the frames";
        return nullptr;
    }
    const AVCodec *decoder = avcodec_find_decoder(codec->id);
    film->decoder = decoder != nullptr ? avcodec_alloc_context3(decoder) : nullptr;
    if (film->decoder == nullptr) {
        *why = std::string("no decoder for ") + encoder_name;
        return nullptr;
    }
    film->decoder->width = width;
    film->decoder->height = height;
    film->decoder->bits_per_coded_sample = format == AV_PIX_FMT_RGB24 ? 24 : format == AV_PIX_FMT_PAL8 ? 8 : 16;
    if (avcodec_open2(film->decoder, decoder, nullptr) != 0) {
        *why = std::string("cannot open the ") + encoder_name + " decoder";
        return nullptr;
    }
    film->packet = av_packet_alloc();
    film->picture = av_frame_alloc();
    film->frames = int(frames.size());
    return film;
}

int AvPeerDecodeAll(AvPeerFilm &film)
{
    avcodec_flush_buffers(film.decoder);
    int pictures = 0;
    for (std::vector<uint8_t> &bytes : film.packets) {
        film.packet->data = bytes.data();
        film.packet->size = int(bytes.size());
        if (avcodec_send_packet(film.decoder, film.packet) != 0) {
            return 0;
        }
        while (avcodec_receive_frame(film.decoder, film.picture) == 0) {
            pictures++;
        }
    }
    return pictures;
}

int AvPeerFrames(const AvPeerFilm &film) { return film.frames; }

size_t AvPeerBytes(const AvPeerFilm &film)
{
    size_t n = 0;
    for (const auto &p : film.packets) {
        n += p.size();
    }
    return n;
}

#else

struct AvPeerFilm {};

void AvPeerFilmDeleter::operator()(AvPeerFilm *film) const { delete film; }

AvPeerFilmPtr AvPeerEncode(const char *, const char *, int, int, const std::vector<std::vector<uint8_t>> &,
                           std::string *why, const std::vector<uint32_t> *)
{
    *why = "not available";
    return nullptr;
}

int AvPeerDecodeAll(AvPeerFilm &) { return 0; }
int AvPeerFrames(const AvPeerFilm &) { return 0; }
size_t AvPeerBytes(const AvPeerFilm &) { return 0; }

#endif

void AvPeerBenchmark(benchmark::State &state, AvPeerFilm *film, const std::string &why)
{
    if (film == nullptr) {
        state.SkipWithError(why.c_str());
        return;
    }
    int pictures = 0;
    for (auto _ : state) {
        pictures += AvPeerDecodeAll(*film);
    }
    state.SetItemsProcessed(pictures);
}

void AvPeerRegister(std::vector<AvPeer> &peers)
{
    for (AvPeer &p : peers) {
        benchmark::RegisterBenchmark(("peer/" + p.name).c_str(),
                                     [&p](benchmark::State &state) { AvPeerBenchmark(state, p.film.get(), p.why); });
    }
}

void AvPeerSummary(const SummaryReporter &reporter, const std::vector<AvPeer> &peers, double pixels, int name_width,
                   const char *ours_label)
{
    for (const AvPeer &p : peers) {
        auto it = reporter.figures.find("peer/" + p.name);
        if (!p.film || it == reporter.figures.end()) {
            std::printf("%-*s not available (%s)\n", name_width, p.name.c_str(), p.why.c_str());
            continue;
        }
        std::printf("%-*s %.0f frames/s, %.1f Mpixel/s; %s / peer: %s\n", name_width, p.name.c_str(), it->second,
                    it->second * pixels / 1e6, ours_label != nullptr ? ours_label : p.ours.c_str(),
                    Ratio(reporter, p.ours, "peer/" + p.name).c_str());
    }
}
