#include "velkport/recordings/playback/MediaGraph.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <memory>

#include "velkport/recordings/playback/PartStream.h"
#include "velkport/recordings/playback/PartStreamSource.h"
#include "velkport/recordings/playback/TaskThreads.h"

namespace velkport::recordings::playback {

namespace {

constexpr const char* kBase = "gstreamer1.0-plugins-base";
constexpr const char* kGood = "gstreamer1.0-plugins-good";
constexpr const char* kBad = "gstreamer1.0-plugins-bad";
constexpr const char* kUgly = "gstreamer1.0-plugins-ugly";
constexpr const char* kLibav = "gstreamer1.0-libav";
constexpr const char* kCore = "libgstreamer1.0-0";

// Parser and decoder for each kind of audio the demultiplexer may find.
struct AudioDecoder {
    const char* caps;  // structure name of the stream's caps
    const char* parser;
    const char* decoder;
};
constexpr AudioDecoder kAudioDecoders[] = {
    {"audio/mpeg", "mpegaudioparse", "mpg123audiodec"},
    {"audio/x-ac3", "ac3parse", "avdec_ac3"},
    {"audio/x-dts", "dcaparse", "avdec_dca"},
    {"audio/x-lpcm", nullptr, "dvdlpcmdec"},
    {"audio/x-private1-lpcm", nullptr, "dvdlpcmdec"},
    {"audio/x-private-ts-lpcm", nullptr, "dvdlpcmdec"},
};
constexpr const char* kAudioTail[] = {"audioconvert", "audioresample", "volume"};
constexpr const char* kVideoChain[] = {"queue", "mpegvideoparse", "avdec_mpeg2video",
                                       "videoconvert"};

std::string PackageOf(const std::string& element) {
    static const std::pair<const char*, const char*> table[] = {
        {"tsdemux", kBad},         {"mpegvideoparse", kBad}, {"avdec_mpeg2video", kLibav},
        {"avdec_ac3", kLibav},     {"avdec_dca", kLibav},    {"mpegaudioparse", kGood},
        {"mpg123audiodec", kGood}, {"ac3parse", kGood},      {"dcaparse", kGood},
        {"dvdlpcmdec", kUgly},     {"audioconvert", kBase},  {"audioresample", kBase},
        {"volume", kBase},         {"videoconvert", kBase},  {"appsink", kBase},
        {"queue", kCore},          {"fakesink", kCore},      {"autoaudiosink", kGood},
        {"autovideosink", kGood},  {"pulsesink", kGood},     {"ximagesink", kBase},
        {"alsasink", kBase},       {"xvimagesink", kBase},   {"glimagesink", kBase},
    };
    for (const auto& [name, package] : table)
        if (element == name)
            return package;
    return {};
}

// The element name of a sink description ("fakesink sync=true" gives "fakesink").
std::string SinkElement(const std::string& description) {
    auto end = description.find_first_of(" \t");
    return description.substr(0, end);
}

// A sink from its description: an element name, optionally followed by properties.
GstElement* MakeSink(const std::string& description) {
    if (SinkElement(description) == description)
        return gst_element_factory_make(description.c_str(), nullptr);
    GError* error = nullptr;
    GstElement* sink = gst_parse_launch(description.c_str(), &error);
    if (error) {
        g_error_free(error);
        if (sink)
            gst_object_unref(sink);
        return nullptr;
    }
    return sink;
}

void SetSync(GstElement* sink, const std::optional<bool>& sync) {
    if (sync && g_object_class_find_property(G_OBJECT_GET_CLASS(sink), "sync"))
        g_object_set(sink, "sync", gboolean(*sync), nullptr);
}

}  // namespace

std::vector<ElementNeed> ElementsFor(MediaKind kind, const GraphOptions& options) {
    std::vector<std::string> names;
    if (kind == MediaKind::None)
        return {};
    if (kind == MediaKind::Mp3) {
        names = {"mpegaudioparse", "mpg123audiodec"};
    } else {
        names = {"tsdemux", "queue"};
        for (const auto& d : kAudioDecoders) {
            if (d.parser)
                names.emplace_back(d.parser);
            names.emplace_back(d.decoder);
        }
        if (kind == MediaKind::Tv) {
            names.insert(names.end(), std::begin(kVideoChain), std::end(kVideoChain));
            names.push_back(options.onFrame ? "appsink" : SinkElement(options.videoSink));
        }
    }
    names.insert(names.end(), std::begin(kAudioTail), std::end(kAudioTail));
    names.push_back(SinkElement(options.audioSink));

    std::vector<ElementNeed> needs;
    for (auto& n : names) {
        bool seen = false;
        for (const auto& e : needs)
            seen = seen || e.element == n;
        if (!seen)
            needs.push_back({n, PackageOf(n)});
    }
    return needs;
}

std::optional<ElementNeed> FindMissingElement(MediaKind kind, const GraphOptions& options) {
    // The registry is empty until GStreamer is initialised: every element would look missing.
    if (!gst_is_initialized())
        gst_init(nullptr, nullptr);
    for (auto& need : ElementsFor(kind, options)) {
        GstElementFactory* factory = gst_element_factory_find(need.element.c_str());
        if (!factory)
            return need;
        gst_object_unref(factory);
    }
    return std::nullopt;
}

MediaGraph::MediaGraph() {
    if (!gst_is_initialized())
        gst_init(nullptr, nullptr);
}

MediaGraph::~MediaGraph() {
    Release();
}

void MediaGraph::Release() {
    if (!pipeline_)
        return;
    // Going to NULL stops every streaming thread and waits for it.
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    {
        std::lock_guard<std::mutex> lock(volumeMutex_);
        volume_ = nullptr;
    }
    gst_object_unref(pipeline_);
    pipeline_ = nullptr;
    video_ = audio_ = complete_ = false;
}

void MediaGraph::setVolume(double level) {
    std::lock_guard<std::mutex> lock(volumeMutex_);
    level_ = level;
    if (volume_)
        g_object_set(volume_, "volume", level, nullptr);
}

GraphResult MediaGraph::Build(const std::vector<std::filesystem::path>& files,
                              const GraphOptions& options) {
    Release();
    error_.clear();
    missing_ = {};
    options_ = options;
    kind_ = files.empty() ? MediaKind::None : MediaKindOf(files.front().filename().string());
    if (kind_ == MediaKind::None)
        return GraphResult::NotPlayable;
    if (auto need = FindMissingElement(kind_, options_)) {
        missing_ = *need;
        error_ = "GStreamer element \"" + need->element + "\" is missing" +
                 (need->package.empty() ? "" : " (Debian package " + need->package + ")");
        return GraphResult::MissingElement;
    }
    auto stream = std::make_shared<PartStream>();
    if (!stream->open(files, kind_)) {
        error_ = stream->errorText();
        return GraphResult::CannotOpen;
    }
    if (kind_ != MediaKind::Mp3 && !stream->looksLikeTransportStream()) {
        error_ = files.front().string() + " is not an MPEG transport stream";
        return GraphResult::NotTransportStream;
    }

    pipeline_ = gst_pipeline_new("velkport-player");
    GstTaskPool* threads = NewTaskThreads();
    UseTaskThreads(pipeline_, threads);
    gst_object_unref(threads);
    GstCaps* caps =
        gst_caps_from_string(kind_ == MediaKind::Mp3 ? "audio/mpeg, mpegversion=(int)1"
                                                     : "video/mpegts, systemstream=(boolean)true");
    GstElement* source = MakePartStreamSource(stream, caps);
    gst_caps_unref(caps);
    if (!source) {
        Release();
        error_ = "the file source cannot be made";
        return GraphResult::LinkFailed;
    }
    gst_bin_add(GST_BIN(pipeline_), source);

    if (kind_ == MediaKind::Mp3) {
        GstElement* tail = audioTail();
        GstPad* pad = gst_element_get_static_pad(source, "src");
        bool ok = tail && addBranch(pad, {"mpegaudioparse", "mpg123audiodec"}, tail);
        gst_object_unref(pad);
        if (!ok) {
            Release();
            error_ = "the MP3 graph cannot be linked";
            return GraphResult::LinkFailed;
        }
        audio_ = complete_ = true;
        return GraphResult::Ok;
    }
    GstElement* demux = gst_element_factory_make("tsdemux", "Mpeg Splitter");
    gst_bin_add(GST_BIN(pipeline_), demux);
    if (!gst_element_link(source, demux)) {
        Release();
        error_ = "the file source does not link to the demultiplexer";
        return GraphResult::LinkFailed;
    }
    g_signal_connect(demux, "pad-added", G_CALLBACK(&MediaGraph::OnPadAdded), this);
    g_signal_connect(demux, "no-more-pads", G_CALLBACK(&MediaGraph::OnNoMorePads), this);
    return GraphResult::Ok;
}

GstElement* MediaGraph::audioTail() {
    GstElement* previous = nullptr;
    GstElement* first = nullptr;
    GstElement* sink = MakeSink(options_.audioSink);
    if (!sink)
        return nullptr;
    SetSync(sink, options_.sync);
    std::vector<GstElement*> chain;
    for (const char* name : kAudioTail)
        chain.push_back(gst_element_factory_make(name, nullptr));
    chain.push_back(sink);
    for (GstElement* e : chain) {
        if (!e) {
            for (GstElement* made : chain)
                if (made)
                    gst_object_unref(gst_object_ref_sink(made));
            return nullptr;
        }
    }
    for (GstElement* e : chain) {
        gst_bin_add(GST_BIN(pipeline_), e);
        if (previous && !gst_element_link(previous, e))
            return nullptr;
        if (!first)
            first = e;
        previous = e;
    }
    {
        std::lock_guard<std::mutex> lock(volumeMutex_);
        volume_ = chain[2];
        g_object_set(volume_, "volume", level_, nullptr);
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        gst_element_sync_state_with_parent(*it);
    return first;
}

GstElement* MediaGraph::videoSink() {
    if (!options_.onFrame) {
        GstElement* sink = MakeSink(options_.videoSink);
        if (sink)
            SetSync(sink, options_.sync);
        return sink;
    }
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    if (!sink)
        return nullptr;
    GstCaps* caps = gst_caps_from_string("video/x-raw, format=(string)BGRx");
    g_object_set(sink, "caps", caps, "max-buffers", 2u, "drop", TRUE, "emit-signals", TRUE,
                 nullptr);
    SetSync(sink, options_.sync);
    gst_caps_unref(caps);
    g_signal_connect(sink, "new-sample", G_CALLBACK(&MediaGraph::OnSample), this);
    // The picture a paused graph holds (after opening or Stop) is shown as well.
    g_signal_connect(sink, "new-preroll", G_CALLBACK(&MediaGraph::OnPreroll), this);
    return sink;
}

bool MediaGraph::addBranch(GstPad* pad, const std::vector<std::string>& names, GstElement* last) {
    std::vector<GstElement*> made;
    for (const auto& n : names) {
        GstElement* e = gst_element_factory_make(n.c_str(), nullptr);
        if (!e) {
            for (GstElement* m : made)
                gst_object_unref(gst_object_ref_sink(m));
            return false;
        }
        made.push_back(e);
    }
    for (GstElement* e : made)
        gst_bin_add(GST_BIN(pipeline_), e);
    bool ok = true;
    for (std::size_t i = 0; ok && i + 1 < made.size(); ++i)
        ok = gst_element_link(made[i], made[i + 1]);
    if (ok && last)
        ok = gst_element_link(made.back(), last);
    for (auto it = made.rbegin(); ok && it != made.rend(); ++it)
        gst_element_sync_state_with_parent(*it);
    if (ok) {
        GstPad* sinkPad = gst_element_get_static_pad(made.front(), "sink");
        ok = gst_pad_link(pad, sinkPad) == GST_PAD_LINK_OK;
        gst_object_unref(sinkPad);
    }
    return ok;
}

bool MediaGraph::linkAudio(GstPad* pad, GstCaps* caps) {
    const gchar* name = gst_structure_get_name(gst_caps_get_structure(caps, 0));
    for (const auto& d : kAudioDecoders) {
        if (g_strcmp0(name, d.caps) != 0)
            continue;
        int version = 1;
        if (g_str_equal(name, "audio/mpeg") &&
            gst_structure_get_int(gst_caps_get_structure(caps, 0), "mpegversion", &version) &&
            version != 1)
            return false;  // AAC is not among the kinds the player takes
        GstElement* tail = audioTail();
        if (!tail)
            return false;
        std::vector<std::string> names{"queue"};
        if (d.parser)
            names.emplace_back(d.parser);
        names.emplace_back(d.decoder);
        return addBranch(pad, names, tail);
    }
    return false;
}

bool MediaGraph::linkVideo(GstPad* pad) {
    GstElement* sink = videoSink();
    if (!sink)
        return false;
    gst_bin_add(GST_BIN(pipeline_), sink);
    gst_element_sync_state_with_parent(sink);
    return addBranch(pad, {std::begin(kVideoChain), std::end(kVideoChain)}, sink);
}

void MediaGraph::OnPadAdded(GstElement*, GstPad* pad, gpointer data) {
    auto* self = static_cast<MediaGraph*>(data);
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps)
        caps = gst_pad_query_caps(pad, nullptr);
    if (!caps || gst_caps_is_empty(caps) || gst_caps_is_any(caps)) {
        if (caps)
            gst_caps_unref(caps);
        return;
    }
    const gchar* name = gst_structure_get_name(gst_caps_get_structure(caps, 0));
    int version = 0;
    gst_structure_get_int(gst_caps_get_structure(caps, 0), "mpegversion", &version);
    if (g_str_equal(name, "video/mpeg") && (version == 1 || version == 2)) {
        // A radio recording's video stays unlinked: it plays sound only.
        if (self->kind_ == MediaKind::Tv && !self->video_.exchange(true) && !self->linkVideo(pad))
            self->video_ = false;
    } else if (g_str_has_prefix(name, "audio/") && !self->audio_.exchange(true)) {
        if (!self->linkAudio(pad, caps))
            self->audio_ = false;
    }
    gst_caps_unref(caps);
}

void MediaGraph::OnNoMorePads(GstElement* demux, gpointer data) {
    auto* self = static_cast<MediaGraph*>(data);
    self->complete_ = true;
    if (self->video_ || self->audio_)
        return;
    // Nothing will reach a sink, so no end of stream would ever be reported.
    GError* error = g_error_new_literal(GST_STREAM_ERROR, GST_STREAM_ERROR_WRONG_TYPE,
                                        "the stream holds no playable video or audio");
    gst_element_post_message(demux, gst_message_new_error(GST_OBJECT(demux), error, nullptr));
    g_error_free(error);
}

GstFlowReturn MediaGraph::OnSample(GstElement* sink, gpointer data) {
    return static_cast<MediaGraph*>(data)->handOver(gst_app_sink_pull_sample(GST_APP_SINK(sink)));
}

GstFlowReturn MediaGraph::OnPreroll(GstElement* sink, gpointer data) {
    return static_cast<MediaGraph*>(data)->handOver(gst_app_sink_pull_preroll(GST_APP_SINK(sink)));
}

GstFlowReturn MediaGraph::handOver(GstSample* sample) {
    if (!sample)
        return GST_FLOW_EOS;
    GstVideoInfo info;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    if (gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) && buffer &&
        gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        VideoFrame frame{GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info),
                         GST_VIDEO_INFO_PLANE_STRIDE(&info, 0), map.data};
        if (map.size >= static_cast<gsize>(frame.stride) * static_cast<gsize>(frame.height))
            options_.onFrame(frame);
        gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

}  // namespace velkport::recordings::playback

#if defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer: GLib leaves its first quark table behind, on purpose, when
// GStreamer's quarks outgrow it. GLib is built without frame pointers, so the report's stack
// ends in GLib's allocator and only the library can be named; leaks of this program's own
// allocations are still reported.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libglib-2.0.so\n";
}
#endif
