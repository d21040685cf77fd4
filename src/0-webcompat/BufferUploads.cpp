#include "BufferUploads.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <deque>
#include <utility>

namespace {

struct Upload {
    GLenum target;
    GLuint buffer;
    std::unique_ptr<unsigned char[]> bytes;
    std::size_t size;
    std::size_t sent;  // bytes from the start already sent
};
std::deque<Upload> waiting;

GLenum BindingOf(GLenum target)
{
    return target == GL_ELEMENT_ARRAY_BUFFER ? GL_ELEMENT_ARRAY_BUFFER_BINDING : GL_ARRAY_BUFFER_BINDING;
}

// Sends at most maxBytes more of upload; true once all of it is sent.
bool Send(Upload& upload, std::size_t maxBytes)
{
    const std::size_t piece = std::min(maxBytes, upload.size - upload.sent);
    GLint bound = 0;
    glGetIntegerv(BindingOf(upload.target), &bound);
    glBindBuffer(upload.target, upload.buffer);
    glBufferSubData(upload.target, static_cast<GLintptr>(upload.sent), static_cast<GLsizeiptr>(piece),
                    upload.bytes.get() + upload.sent);
    glBindBuffer(upload.target, static_cast<GLuint>(bound));
    upload.sent += piece;
    return upload.sent == upload.size;
}

}  // namespace

void BufferUploads::Add(unsigned int target, unsigned int buffer, std::unique_ptr<unsigned char[]> bytes,
                        std::size_t size)
{
    if (buffer == 0 || size == 0)
        return;
    waiting.push_back({target, buffer, std::move(bytes), size, 0});
}

bool BufferUploads::Continue(std::size_t maxBytes)
{
    while (!waiting.empty() && maxBytes > 0) {
        Upload& upload = waiting.front();
        const std::size_t before = upload.sent;
        const bool sent = Send(upload, maxBytes);
        maxBytes -= upload.sent - before;
        if (sent)
            waiting.pop_front();
    }
    return !waiting.empty();
}

void BufferUploads::Finish()
{
    for (Upload& upload : waiting)
        Send(upload, upload.size);
    waiting.clear();
}

void BufferUploads::Finish(unsigned int buffer)
{
    for (auto upload = waiting.begin(); upload != waiting.end();) {
        if (upload->buffer == buffer) {
            Send(*upload, upload->size);
            upload = waiting.erase(upload);
        } else {
            ++upload;
        }
    }
}

bool BufferUploads::Waiting()
{
    return !waiting.empty();
}
