#pragma once
// Threads of a graph's own: a GStreamer task pool that runs every task on a thread of its own
// and joins that thread when the task is joined. GStreamer's default pool lends threads from
// GLib's shared pool, which keeps idle threads alive after the graph has gone; with this pool
// a released graph leaves no thread behind.

#include <gst/gst.h>

namespace velkport::recordings::playback {

// A new pool (a reference the caller owns).
GstTaskPool* NewTaskThreads();

// Makes every task the pipeline creates run on the pool: installs a synchronous bus handler
// that hands the pool to each new task. The pipeline holds a reference to the pool.
void UseTaskThreads(GstElement* pipeline, GstTaskPool* pool);

}  // namespace velkport::recordings::playback
