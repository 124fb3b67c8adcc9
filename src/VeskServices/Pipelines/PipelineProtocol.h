#pragma once

#include "VeskServices/Pipelines/PipelineError.h"

#include <QByteArray>
#include <QImage>
#include <QJsonObject>
#include <QList>

#include <optional>

// The line protocol between the program and vesk-pipeline-worker: one JSON object a
// line, each with a "type"; requests and their events carry the request's "id".
//
//   worker:  {"type":"ready","version":1}              first line, once
//   program: {"type":"run","id":n,"pipeline":"zip","settings":{...},"inputs":[paths],"output":folder}
//   worker:  {"type":"progress","id":n,"fraction":f,"detail":text}
//            {"type":"published","id":n,"path":p}       an output now under its own name
//            {"type":"result","id":n,"produced":[paths]}
//            {"type":"failed","id":n,"error":{"kind":...,"payload":text}}
//            {"type":"stopped","id":n}                 after a cancel; nothing was left
//   program: {"type":"preview","id":n,"path":p,"width":w,"height":h}
//   worker:  {"type":"rendered","id":n,"kind":"image"|"pdf"|"none","width":w,"height":h,"pixels":base64}
//   program: {"type":"cancel","id":n}
//   worker:  {"type":"idle"}                           then it ends: nothing was asked for a while
// The program closing the worker's input cancels everything and ends it.
namespace vesk::pipeline_protocol {

inline constexpr int version = 1;
// The longest line either side reads; a preview's pixels are the largest.
inline constexpr qsizetype maxLine = qsizetype(160) << 20;

QByteArray line(const QJsonObject& message);

QJsonObject toJson(const PipelineFailure& failure);
PipelineFailure failureFromJson(const QJsonObject& error);

// A picture as raw premultiplied ARGB32 pixels (no codec on the reading side).
struct Rendered {
    enum class Kind { image, pdf };
    Kind kind = Kind::image;
    QImage picture;
};
QJsonObject toJson(quint64 id, const std::optional<Rendered>& rendered);
// Absent for "none" and for pixels that do not match their size or exceed `bound`.
std::optional<Rendered> renderedFromJson(const QJsonObject& message, const QSize& bound);

// Splits a byte stream into JSON objects, one a line; a line longer than `limit` or
// not an object is dropped.
class LineReader {
public:
    explicit LineReader(qsizetype limit = maxLine) : m_limit(limit) {}
    QList<QJsonObject> read(const QByteArray& bytes);

private:
    qsizetype m_limit;
    QByteArray m_buffer;
    bool m_discarding = false;
};

} // namespace vesk::pipeline_protocol
