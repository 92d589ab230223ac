#include "velkport/recordings/playback/TaskThreads.h"

#include <memory>

namespace velkport::recordings::playback {

namespace {

struct VelkTaskThreads {
    GstTaskPool parent;
};
struct VelkTaskThreadsClass {
    GstTaskPoolClass parent_class;
};

struct Job {
    GstTaskPoolFunction func;
    gpointer data;
};

gpointer RunJob(gpointer p) {
    std::unique_ptr<Job> job(static_cast<Job*>(p));
    job->func(job->data);
    return nullptr;
}

void Prepare(GstTaskPool*, GError**) {}
void Cleanup(GstTaskPool*) {}

gpointer Push(GstTaskPool*, GstTaskPoolFunction func, gpointer data, GError** error) {
    auto job = std::make_unique<Job>(Job{func, data});
    GThread* thread = g_thread_try_new("velk-task", RunJob, job.get(), error);
    if (thread)
        job.release();  // the thread owns it now
    return thread;
}

void Join(GstTaskPool*, gpointer id) {
    if (id)
        g_thread_join(static_cast<GThread*>(id));
}

void DisposeHandle(GstTaskPool*, gpointer id) {
    if (id)
        g_thread_unref(static_cast<GThread*>(id));
}

void ClassInit(gpointer klass, gpointer) {
    auto* pool = GST_TASK_POOL_CLASS(klass);
    pool->prepare = Prepare;
    pool->cleanup = Cleanup;
    pool->push = Push;
    pool->join = Join;
    pool->dispose_handle = DisposeHandle;
}

GType TaskThreadsType() {
    static GType type = [] {
        GTypeInfo info{};
        info.class_size = sizeof(VelkTaskThreadsClass);
        info.class_init = ClassInit;
        info.instance_size = sizeof(VelkTaskThreads);
        return g_type_register_static(GST_TYPE_TASK_POOL, "VelkTaskThreads", &info, GTypeFlags(0));
    }();
    return type;
}

GstBusSyncReply OnSyncMessage(GstBus*, GstMessage* message, gpointer pool) {
    if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_STREAM_STATUS)
        return GST_BUS_PASS;
    GstStreamStatusType type;
    GstElement* owner = nullptr;
    gst_message_parse_stream_status(message, &type, &owner);
    const GValue* value = gst_message_get_stream_status_object(message);
    if (type == GST_STREAM_STATUS_TYPE_CREATE && value && G_VALUE_HOLDS(value, GST_TYPE_TASK))
        gst_task_set_pool(GST_TASK(g_value_get_object(value)), static_cast<GstTaskPool*>(pool));
    return GST_BUS_PASS;
}

}  // namespace

GstTaskPool* NewTaskThreads() {
    auto* pool = static_cast<GstTaskPool*>(g_object_new(TaskThreadsType(), nullptr));
    gst_object_ref_sink(pool);
    return pool;
}

void UseTaskThreads(GstElement* pipeline, GstTaskPool* pool) {
    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, OnSyncMessage, gst_object_ref(pool), gst_object_unref);
    gst_object_unref(bus);
}

}  // namespace velkport::recordings::playback
