#pragma once
// The media graph of one file: a GStreamer pipeline of fixed elements per kind.
//   MP3:   file source -> MPEG audio parser -> audio decoder -> audio sink
//   radio: file source -> transport-stream demultiplexer -> audio decoder -> audio sink
//   TV:    as radio, and demultiplexer -> MPEG-2 video decoder -> video sink
// The audio decoder takes MPEG audio, AC-3, DTS and LPCM, each through its own parser and
// decoder picked by the stream's caps. The demultiplexer's streams appear while the graph
// starts; their branches are linked then (the first video and the first audio stream).

#include <gst/gst.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "velkport/recordings/playback/MediaKind.h"

namespace velkport::recordings::playback {

// One decoded picture, 4 bytes a pixel in the order B, G, R, unused.
struct VideoFrame {
    int width = 0;
    int height = 0;
    int stride = 0;
    const std::uint8_t* data = nullptr;
};

struct GraphOptions {
    // Sinks by element name, optionally with properties ("fakesink sync=true").
    std::string videoSink = "autovideosink";
    std::string audioSink = "autoaudiosink";
    // Whether the sinks keep to the clock; unset, each sink keeps its own default (fakesink
    // takes data as fast as it comes, the others play in real time).
    std::optional<bool> sync;
    // When set, pictures are handed to this function (on a streaming thread) instead of going
    // to videoSink.
    std::function<void(const VideoFrame&)> onFrame;
};

// An element of the graph and the Debian package that provides it.
struct ElementNeed {
    std::string element;
    std::string package;
};

// Every element the graph of a kind may use. Every one is looked for when the graph is built.
std::vector<ElementNeed> ElementsFor(MediaKind kind, const GraphOptions& options);
// The first element of the list that GStreamer does not have.
std::optional<ElementNeed> FindMissingElement(MediaKind kind, const GraphOptions& options);

enum class GraphResult {
    Ok = 0,
    NotPlayable = 1,         // no playable kind
    MissingElement = 2,      // see missing()
    CannotOpen = 3,          // a file of the playlist could not be opened
    NotTransportStream = 4,  // a recording whose bytes are no transport stream
    LinkFailed = 5,
};

class MediaGraph {
  public:
    MediaGraph();
    ~MediaGraph();
    MediaGraph(const MediaGraph&) = delete;
    MediaGraph& operator=(const MediaGraph&) = delete;

    // Builds the graph for the files (a recording and its following parts, played as one
    // stream; the kind is the first file's). The previous graph is released first.
    GraphResult Build(const std::vector<std::filesystem::path>& files, const GraphOptions& options);
    // Stops the graph, waits for its threads and frees it.
    void Release();

    GstElement* pipeline() const { return pipeline_; }
    MediaKind kind() const { return kind_; }
    const ElementNeed& missing() const { return missing_; }
    const std::string& errorText() const { return error_; }
    bool hasVideo() const { return video_.load(); }
    // Whether every branch the graph will have is in it (the demultiplexer has announced all
    // its streams): until then the graph may look settled with no sink in it.
    bool complete() const { return complete_.load(); }
    // 0.0 to 1.0; kept for a branch linked later.
    void setVolume(double level);

  private:
    static void OnPadAdded(GstElement* demux, GstPad* pad, gpointer self);
    static void OnNoMorePads(GstElement* demux, gpointer self);
    static GstFlowReturn OnSample(GstElement* sink, gpointer self);
    static GstFlowReturn OnPreroll(GstElement* sink, gpointer self);
    GstFlowReturn handOver(GstSample* sample);  // a picture to onFrame
    bool linkAudio(GstPad* pad, GstCaps* caps);
    bool linkVideo(GstPad* pad);
    GstElement* audioTail();
    GstElement* videoSink();
    // Adds the elements, links them in order, starts them with the graph and links pad to the
    // first. False (and nothing left in the graph) when one cannot be made or linked.
    bool addBranch(GstPad* pad, const std::vector<std::string>& names, GstElement* last);

    GstElement* pipeline_ = nullptr;
    MediaKind kind_ = MediaKind::None;
    GraphOptions options_;
    ElementNeed missing_;
    std::string error_;
    std::atomic<bool> video_{false};
    std::atomic<bool> audio_{false};
    std::atomic<bool> complete_{false};
    std::mutex volumeMutex_;
    GstElement* volume_ = nullptr;  // owned by the pipeline
    double level_ = 1.0;
};

}  // namespace velkport::recordings::playback
