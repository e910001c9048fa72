// SPDX-License-Identifier: GPL-3.0-or-later
#include "av_input.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "av_net.h"
#include "av_ogg_links.h"
#include "frame_ring.h"
#include "orvelle/bass.h"
#include "proxy_route.h"

namespace orvelle {

// Small probes: a live stream gives no end to read up to, and default probing
// of a stream that starts mid-frame takes seconds.
constexpr int kProbeBytes = 32 * 1024;
constexpr int64_t kAnalyzeMicroseconds = 500000;
constexpr int kMaxPacketsBeforeAudio = 400;  // then it is not audio we can play
constexpr int kMaxBadPacketsInARow = 200;    // then the stream is beyond repair
// Bytes that never become audio (NULs, an encoded body) would otherwise pile up
// in the demuxer's parser without limit; a real stream decodes a frame every
// few hundred bytes, with room left for tags and headers between frames.
constexpr int64_t kMaxBytesWithoutAudio = 512 * 1024;
// libav's http layer spins on a broken gzip body: every read gives neither a
// byte nor an error, and only this callback is asked in between. A real wait
// polls it every 100 ms or so; this many polls without a byte is that spin,
// which would otherwise hold a core until the read time-out.
constexpr int kMaxPollsWithoutBytes = 100000;
// Outside these the "audio" is a lying header: a 1 Hz rate would have the
// resampler make gigabytes out of one packet.
constexpr int kMinInputRateHz = 4000, kMaxInputRateHz = 384000;
constexpr int kMaxInputChannels = 8;
// What one packet may become after resampling (8 MiB of stereo float): far
// above what any codec frame gives, far below what would hurt.
constexpr int kMaxResampledFramesPerPacket = 1 << 20;
constexpr size_t kMaxUrlBytes = 4096;
// A live stream never seeks, yet the demuxers index every frame they read, up
// to a megabyte a stream by default: 3 MB an hour of MP3 until it got there.
constexpr unsigned kMaxSeekIndexBytes = 4096;

}  // namespace orvelle

// Owned by one thread at a time: the caller of OpenAvInput, then the decoder thread.
struct orvelle::AvInput {
  const std::atomic<bool>* abort = nullptr;
  int64_t deadlineMs = 0;
  bool timedOut = false;
  int outputRateHz = 44100;
  AVIOContext* io = nullptr;
  OggLinks* links = nullptr;   // an Ogg stream's demuxer reads one link at a time through it
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  SwrContext* resampler = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int streamIndex = -1;
  int badPacketsInARow = 0;
  int64_t audioAtByte = 0;     // input position when the last frame was decoded
  bool withoutAudio = false;   // read kMaxBytesWithoutAudio past it, or spun without reading
  int64_t polledAtByte = -1;   // input position at the last poll of Interrupted
  int pollsWithoutBytes = 0;
  // What the resampler was set up for; a change mid-stream sets it up again.
  int resamplerRateHz = 0;
  int resamplerFormat = -1;
  AVChannelLayout resamplerLayout{};
  std::vector<float> firstFrames;  // decoded while opening, handed out first
};

namespace orvelle {
namespace {

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// libav polls this during every blocking step (connect, TLS, reads).
int Interrupted(void* opaque) {
  auto* in = static_cast<AvInput*>(opaque);
  if (in->abort->load(std::memory_order_relaxed)) return 1;
  if (in->io != nullptr && in->io->pos - in->audioAtByte > kMaxBytesWithoutAudio) {
    in->withoutAudio = true;
    return 1;
  }
  if (in->io != nullptr) {
    if (in->io->pos != in->polledAtByte) {
      in->polledAtByte = in->io->pos;
      in->pollsWithoutBytes = 0;
    } else if (++in->pollsWithoutBytes > kMaxPollsWithoutBytes) {
      in->withoutAudio = true;
      return 1;
    }
  }
  if (NowMs() > in->deadlineMs) {
    in->timedOut = true;
    return 1;
  }
  return 0;
}

bool StartsWithNoCase(const char* s, const char* prefix) {
  for (; *prefix != '\0'; ++s, ++prefix)
    if (std::tolower(static_cast<unsigned char>(*s)) != *prefix) return false;
  return true;
}

// Only http and https, with something after the scheme, and no byte that
// could break the request line (spaces, CR/LF, controls).
bool IsAcceptableUrl(const char* url) {
  if (url == nullptr) return false;
  const size_t length = std::strlen(url);
  if (length > kMaxUrlBytes) return false;
  for (size_t i = 0; i < length; ++i) {
    const auto c = static_cast<unsigned char>(url[i]);
    if (c <= 0x20 || c == 0x7f) return false;
  }
  if (StartsWithNoCase(url, "http://")) return length > 7;
  if (StartsWithNoCase(url, "https://")) return length > 8;
  return false;
}

bool UrlHostResolves(const char* url) {
  char host[1024] = {0};
  int port = 0;
  av_url_split(nullptr, 0, nullptr, 0, host, sizeof host, &port, nullptr, 0, url);
  return host[0] != '\0' && HostResolves(host);
}

int OpenErrorCode(int err, const AvInput& in, const char* url) {
  err = PortableNetError(err);
  if (in.timedOut || err == AVERROR(ETIMEDOUT)) return BASS_ERROR_TIMEOUT;
  if (err == AVERROR_EXIT) return in.abort->load() ? BASS_ERROR_UNKNOWN : BASS_ERROR_TIMEOUT;
  if (err == AVERROR(ENOMEM)) return BASS_ERROR_MEM;
  if (err == AVERROR_PROTOCOL_NOT_FOUND || err == AVERROR(EINVAL)) return BASS_ERROR_ILLPARAM;
  // libav reports TLS failures and unknown hosts alike as I/O errors: a host
  // that resolves points at the TLS layer.
  if (err == AVERROR(EIO) && StartsWithNoCase(url, "https://") && UrlHostResolves(url)) return BASS_ERROR_SSL;
  return BASS_ERROR_FILEOPEN;
}

std::string ContentType(AVIOContext* io) {
  uint8_t* value = nullptr;
  if (av_opt_get(io, "mime_type", AV_OPT_SEARCH_CHILDREN, &value) < 0 || value == nullptr) return {};
  std::string type(reinterpret_cast<char*>(value));
  av_free(value);
  type = type.substr(0, type.find(';'));
  type.erase(std::remove_if(type.begin(), type.end(), [](unsigned char c) { return std::isspace(c); }), type.end());
  std::transform(type.begin(), type.end(), type.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return type;
}

// The answer's Content-Type names the demuxer for the usual station formats,
// which spares a slow probe of a stream that starts mid-frame.
const AVInputFormat* DemuxerForContentType(const std::string& type) {
  static const struct { const char* type; const char* demuxer; } kTable[] = {
      {"audio/mpeg", "mp3"},       {"audio/mp3", "mp3"},        {"audio/mpeg3", "mp3"},
      {"audio/x-mpeg", "mp3"},     {"audio/aac", "aac"},        {"audio/aacp", "aac"},
      {"audio/x-aac", "aac"},      {"audio/x-aacp", "aac"},     {"application/ogg", "ogg"},
      {"audio/ogg", "ogg"},        {"audio/x-ogg", "ogg"},      {"audio/vorbis", "ogg"},
      {"audio/opus", "ogg"},       {"audio/flac", "flac"},      {"audio/x-flac", "flac"},
  };
  for (const auto& entry : kTable)
    if (type == entry.type) return av_find_input_format(entry.demuxer);
  return nullptr;
}

// 0 (not known yet) passes: the decoder's frames are checked again.
bool PlausibleFormat(int rateHz, int channels) {
  const bool rateOk = rateHz == 0 || (rateHz >= kMinInputRateHz && rateHz <= kMaxInputRateHz);
  return rateOk && channels <= kMaxInputChannels;
}

bool ConfigureResampler(AvInput* in, const AVFrame* f) {
  swr_free(&in->resampler);
  av_channel_layout_uninit(&in->resamplerLayout);
  const int channels = f->ch_layout.nb_channels;
  if (channels <= 0 || f->sample_rate <= 0 || !PlausibleFormat(f->sample_rate, channels)) return false;
  AVChannelLayout inLayout{};
  if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) av_channel_layout_default(&inLayout, channels);
  else if (av_channel_layout_copy(&inLayout, &f->ch_layout) < 0) return false;
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  int err = swr_alloc_set_opts2(&in->resampler, &stereo, AV_SAMPLE_FMT_FLT, in->outputRateHz, &inLayout,
                                AVSampleFormat(f->format), f->sample_rate, 0, nullptr);
  av_channel_layout_uninit(&inLayout);
  if (err < 0) return false;
  if (channels == 1) {  // mono goes to both sides at full level, not at -3 dB
    const double toBothSides[2] = {1.0, 1.0};
    swr_set_matrix(in->resampler, toBothSides, 1);
  }
  if (swr_init(in->resampler) < 0) return false;
  in->resamplerRateHz = f->sample_rate;
  in->resamplerFormat = f->format;
  return av_channel_layout_copy(&in->resamplerLayout, &f->ch_layout) >= 0;
}

// Appends what the resampler makes of `samples` input frames (none: what it
// still holds).
bool Resample(AvInput* in, const uint8_t** data, int samples, std::vector<float>& out) {
  const int capacity = swr_get_out_samples(in->resampler, samples);
  if (capacity <= 0) return true;
  if (capacity > kMaxResampledFramesPerPacket) return false;
  const size_t base = out.size();
  out.resize(base + size_t(capacity) * kChannels);
  auto* dst = reinterpret_cast<uint8_t*>(out.data() + base);
  const int got = swr_convert(in->resampler, &dst, capacity, data, samples);
  out.resize(base + size_t(std::max(got, 0)) * kChannels);
  return got >= 0;
}

bool AppendResampled(AvInput* in, const AVFrame* f, std::vector<float>& out) {
  if (in->resampler == nullptr || f->sample_rate != in->resamplerRateHz || f->format != in->resamplerFormat ||
      av_channel_layout_compare(&f->ch_layout, &in->resamplerLayout) != 0) {
    // The last few frames of the previous format first: its filter holds them.
    if (in->resampler != nullptr && !Resample(in, nullptr, 0, out)) return false;
    if (!ConfigureResampler(in, f)) return false;
  }
  return Resample(in, const_cast<const uint8_t**>(f->extended_data), f->nb_samples, out);
}

bool FollowNextLink(AvInput* in, std::vector<float>& out);

// Reads and decodes one packet. False at the end of the stream or on failure.
bool DecodePacket(AvInput* in, std::vector<float>& out) {
  if (av_read_frame(in->format, in->packet) < 0) return FollowNextLink(in, out);
  if (in->packet->stream_index != in->streamIndex) {
    av_packet_unref(in->packet);
    return true;
  }
  const int sent = avcodec_send_packet(in->codec, in->packet);
  av_packet_unref(in->packet);
  if (sent < 0 && sent != AVERROR(EAGAIN)) return ++in->badPacketsInARow <= kMaxBadPacketsInARow;
  int err;
  while ((err = avcodec_receive_frame(in->codec, in->frame)) >= 0) {
    in->badPacketsInARow = 0;
    in->audioAtByte = in->io->pos;
    const bool ok = AppendResampled(in, in->frame, out);
    av_frame_unref(in->frame);
    if (!ok) return false;
  }
  if (err != AVERROR(EAGAIN) && err != AVERROR_EOF) return ++in->badPacketsInARow <= kMaxBadPacketsInARow;
  return true;
}

int OpenDecoder(AvInput* in, bool probed) {
  if (probed && avformat_find_stream_info(in->format, nullptr) < 0 && in->timedOut) return BASS_ERROR_TIMEOUT;
  // The first audio stream: without a full probe its rate and channels are
  // often unknown until the decoder sees a frame, so no "best" choice here.
  in->streamIndex = -1;
  for (unsigned i = 0; i < in->format->nb_streams && in->streamIndex < 0; ++i)
    if (in->format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) in->streamIndex = int(i);
  if (in->streamIndex < 0) return BASS_ERROR_FILEFORM;
  const AVCodec* decoder = avcodec_find_decoder(in->format->streams[in->streamIndex]->codecpar->codec_id);
  if (decoder == nullptr) return BASS_ERROR_CODEC;
  const AVCodecParameters* params = in->format->streams[in->streamIndex]->codecpar;
  if (!PlausibleFormat(params->sample_rate, params->ch_layout.nb_channels)) return BASS_ERROR_FILEFORM;
  for (unsigned i = 0; i < in->format->nb_streams; ++i)
    if (int(i) != in->streamIndex) in->format->streams[i]->discard = AVDISCARD_ALL;
  const AVStream* stream = in->format->streams[in->streamIndex];
  in->codec = avcodec_alloc_context3(decoder);
  if (in->packet == nullptr) in->packet = av_packet_alloc();
  if (in->frame == nullptr) in->frame = av_frame_alloc();
  if (in->codec == nullptr || in->packet == nullptr || in->frame == nullptr) return BASS_ERROR_MEM;
  if (avcodec_parameters_to_context(in->codec, stream->codecpar) < 0) return BASS_ERROR_CODEC;
  in->codec->pkt_timebase = stream->time_base;
  if (avcodec_open2(in->codec, decoder, nullptr) < 0) return BASS_ERROR_CODEC;
  return 0;
}

int OpenDemuxer(AvInput* in, const char* url, const AVInputFormat* demuxer) {
  in->format = avformat_alloc_context();
  if (in->format == nullptr) return BASS_ERROR_MEM;
  in->format->pb = in->links != nullptr ? OggLinkReader(in->links) : in->io;
  in->format->flags |= AVFMT_FLAG_CUSTOM_IO;  // the AVIOContext stays ours to close
  in->format->interrupt_callback = {Interrupted, in};
  in->format->probesize = kProbeBytes;
  in->format->max_analyze_duration = kAnalyzeMicroseconds;
  in->format->max_index_size = kMaxSeekIndexBytes;
  if (avformat_open_input(&in->format, url, demuxer, nullptr) < 0)
    return in->timedOut ? BASS_ERROR_TIMEOUT : BASS_ERROR_FILEFORM;
  return 0;
}

// Ends the Ogg link whose demuxer has read its last page, with what its
// decoder still holds, and opens a demuxer and a decoder for the next one,
// whatever its codec. False when the stream itself ended or failed.
bool FollowNextLink(AvInput* in, std::vector<float>& out) {
  if (!NextOggLinkWaits(in->links)) return false;
  avcodec_send_packet(in->codec, nullptr);  // draining: what the decoder holds comes out
  bool ok = true;
  while (ok && avcodec_receive_frame(in->codec, in->frame) >= 0) {
    ok = AppendResampled(in, in->frame, out);
    av_frame_unref(in->frame);
  }
  avcodec_free_context(&in->codec);
  avformat_close_input(&in->format);
  const AVInputFormat* ogg = av_find_input_format("ogg");
  return ok && OpenNextOggLink(in->links) && OpenDemuxer(in, nullptr, ogg) == 0 && OpenDecoder(in, false) == 0;
}

int OpenSteps(AvInput* in, const char* url) {
  const AVIOInterruptCB interrupt{Interrupted, in};
  AVDictionary* options = nullptr;
  av_dict_set(&options, "user_agent", "OrvellePlayer/1.0", 0);
  av_dict_set(&options, "icy", "1", 0);         // ask for in-stream titles: libav strips them
  av_dict_set(&options, "tls_verify", "1", 0);  // libav trusts any certificate unless told
  // httpproxy is the CONNECT tunnel to an https station; a redirect still cannot reach files.
  av_dict_set(&options, "protocol_whitelist", "http,https,tcp,tls,httpproxy", 0);
  // Always given, "" for none: libav alone would read http_proxy even for https.
  av_dict_set(&options, "http_proxy", ProxyForUrlHere(url).c_str(), 0);
  // A live stream cannot seek; an answer with a length would otherwise let the
  // demuxers "seek" by reconnecting, thousands of times on a bad answer.
  av_dict_set(&options, "seekable", "0", 0);
  int err = avio_open2(&in->io, url, AVIO_FLAG_READ, &interrupt, &options);
  av_dict_free(&options);
  if (err < 0) return OpenErrorCode(err, *in, url);

  const AVInputFormat* demuxer = DemuxerForContentType(ContentType(in->io));
  const bool probed = demuxer == nullptr;
  if (probed) {
    err = av_probe_input_buffer2(in->io, &demuxer, url, nullptr, 0, kProbeBytes);
    if (err < 0) return in->timedOut ? BASS_ERROR_TIMEOUT : BASS_ERROR_FILEFORM;
  }
  if (std::strcmp(demuxer->name, "ogg") == 0 && (in->links = OpenOggLinks(in->io)) == nullptr) return BASS_ERROR_MEM;
  if (int code = OpenDemuxer(in, url, demuxer); code != 0) return code;
  if (int code = OpenDecoder(in, probed); code != 0) return code;

  for (int packets = 0; in->firstFrames.empty(); ++packets) {
    if (packets >= kMaxPacketsBeforeAudio || !DecodePacket(in, in->firstFrames))
      return in->timedOut ? BASS_ERROR_TIMEOUT : in->abort->load() ? BASS_ERROR_UNKNOWN : BASS_ERROR_FILEFORM;
  }
  return 0;
}

}  // namespace

AvOpenResult OpenAvInput(const char* url, int outputRateHz, const std::atomic<bool>* abort) {
  static std::once_flag quiet;
  std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });  // failures come back as codes
  if (!IsAcceptableUrl(url)) return {nullptr, BASS_ERROR_ILLPARAM};
  auto* in = new AvInput;
  in->abort = abort;
  in->outputRateHz = outputRateHz;
  in->deadlineMs = NowMs() + kConnectTimeoutMs;
  const int code = OpenSteps(in, url);
  if (code != 0) {
    CloseAvInput(in);
    return {nullptr, code};
  }
  return {in, 0};
}

bool DecodeMore(AvInput* in, std::vector<float>& frames) {
  if (!in->firstFrames.empty()) {
    frames.insert(frames.end(), in->firstFrames.begin(), in->firstFrames.end());
    in->firstFrames = {};
    return true;
  }
  in->deadlineMs = NowMs() + kReadStallTimeoutMs;
  return DecodePacket(in, frames);
}

void CloseAvInput(AvInput* in) {
  if (in == nullptr) return;
  av_frame_free(&in->frame);
  av_packet_free(&in->packet);
  avcodec_free_context(&in->codec);
  swr_free(&in->resampler);
  av_channel_layout_uninit(&in->resamplerLayout);
  avformat_close_input(&in->format);
  CloseOggLinks(in->links);
  avio_closep(&in->io);
  delete in;
}

}  // namespace orvelle
