#include "velkport/recordings/playback/PartStreamSource.h"

#include <gst/base/gstbasesrc.h>

#include <mutex>
#include <new>

namespace velkport::recordings::playback {

namespace {

struct VelkPartSrc {
    GstBaseSrc parent;
    std::shared_ptr<const PartStream> stream;  // set before the element starts
    GstCaps* caps;                             // owned
};

struct VelkPartSrcClass {
    GstBaseSrcClass parent_class;
};

GType velk_part_src_get_type();
GstElementClass* g_parentClass = nullptr;

VelkPartSrc* Self(gpointer p) {
    return reinterpret_cast<VelkPartSrc*>(p);
}

void Finalize(GObject* object) {
    VelkPartSrc* self = Self(object);
    self->stream.~shared_ptr();
    if (self->caps)
        gst_caps_unref(self->caps);
    G_OBJECT_CLASS(g_parentClass)->finalize(object);
}

gboolean GetSize(GstBaseSrc* src, guint64* size) {
    VelkPartSrc* self = Self(src);
    if (!self->stream)
        return FALSE;
    *size = self->stream->length();
    return TRUE;
}

gboolean IsSeekable(GstBaseSrc*) {
    return TRUE;
}

GstCaps* GetCaps(GstBaseSrc* src, GstCaps* filter) {
    VelkPartSrc* self = Self(src);
    GstCaps* caps = self->caps ? gst_caps_ref(self->caps) : gst_caps_new_any();
    if (filter) {
        GstCaps* both = gst_caps_intersect_full(filter, caps, GST_CAPS_INTERSECT_FIRST);
        gst_caps_unref(caps);
        caps = both;
    }
    return caps;
}

GstFlowReturn Fill(GstBaseSrc* src, guint64 offset, guint size, GstBuffer* buffer) {
    VelkPartSrc* self = Self(src);
    if (!self->stream)
        return GST_FLOW_ERROR;
    const PartStream& stream = *self->stream;
    if (offset >= stream.length())
        return GST_FLOW_EOS;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_WRITE))
        return GST_FLOW_ERROR;
    std::int64_t got = stream.read(offset, map.data, std::min<std::size_t>(size, map.size));
    gst_buffer_unmap(buffer, &map);
    if (got < 0) {
        GST_ELEMENT_ERROR(src, RESOURCE, READ, (nullptr), ("reading the recording failed"));
        return GST_FLOW_ERROR;
    }
    if (got == 0)
        return GST_FLOW_EOS;
    gst_buffer_set_size(buffer, got);
    GST_BUFFER_OFFSET(buffer) = offset;
    GST_BUFFER_OFFSET_END(buffer) = offset + static_cast<guint64>(got);
    return GST_FLOW_OK;
}

void ClassInit(gpointer klass, gpointer) {
    g_parentClass = GST_ELEMENT_CLASS(g_type_class_peek_parent(klass));
    G_OBJECT_CLASS(klass)->finalize = Finalize;
    auto* element = GST_ELEMENT_CLASS(klass);
    static GstStaticPadTemplate srcTemplate =
        GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS_ANY);
    gst_element_class_add_static_pad_template(element, &srcTemplate);
    gst_element_class_set_static_metadata(element, "Recording part source", "Source/File",
                                          "Reads the stream bytes of a recording and its parts",
                                          "Velkport");
    auto* base = GST_BASE_SRC_CLASS(klass);
    base->get_size = GetSize;
    base->is_seekable = IsSeekable;
    base->get_caps = GetCaps;
    base->fill = Fill;
}

void InstanceInit(GTypeInstance* instance, gpointer) {
    VelkPartSrc* self = Self(instance);
    // GObject allocates the instance as plain memory: the C++ member is constructed here and
    // destroyed in Finalize.
    new (&self->stream) std::shared_ptr<const PartStream>();
    self->caps = nullptr;
    gst_base_src_set_format(GST_BASE_SRC(instance), GST_FORMAT_BYTES);
}

GType velk_part_src_get_type() {
    static GType type = [] {
        GTypeInfo info{};
        info.class_size = sizeof(VelkPartSrcClass);
        info.class_init = ClassInit;
        info.instance_size = sizeof(VelkPartSrc);
        info.instance_init = InstanceInit;
        return g_type_register_static(GST_TYPE_BASE_SRC, "VelkPartSrc", &info, GTypeFlags(0));
    }();
    return type;
}

}  // namespace

void RegisterPartStreamSource() {
    static std::once_flag once;
    std::call_once(once, [] {
        gst_element_register(nullptr, kPartStreamSourceName, GST_RANK_NONE,
                             velk_part_src_get_type());
    });
}

GstElement* MakePartStreamSource(std::shared_ptr<const PartStream> stream, GstCaps* caps) {
    RegisterPartStreamSource();
    GstElement* element = gst_element_factory_make(kPartStreamSourceName, "File Source");
    if (!element)
        return nullptr;
    VelkPartSrc* self = Self(element);
    self->stream = std::move(stream);
    self->caps = caps ? gst_caps_ref(caps) : nullptr;
    return element;
}

}  // namespace velkport::recordings::playback
