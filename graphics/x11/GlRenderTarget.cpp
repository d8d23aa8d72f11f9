#include "graphics/x11/GlRenderTarget.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdlib>
#include <cstring>

#include "graphics/IGraphics.h"

namespace halcyra {

namespace {

// Framebuffer objects are core from OpenGL 3.0 and an extension before that.
bool HasFramebufferObjects() {
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version != nullptr && std::atoi(version) >= 3) return true;
    const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions != nullptr && std::strstr(extensions, "GL_ARB_framebuffer_object") != nullptr;
}

}  // namespace

bool GlRenderTarget::Bind(int pixelWidth, int pixelHeight) {
    if (mUnavailable || pixelWidth <= 0 || pixelHeight <= 0) return false;
    if (mFramebuffer == 0 || pixelWidth != mWidth || pixelHeight != mHeight) {
        Release();
        if (!HasFramebufferObjects()) {
            mUnavailable = true;
            return false;
        }
        glGenFramebuffers(1, &mFramebuffer);
        glGenRenderbuffers(1, &mColor);
        glGenRenderbuffers(1, &mDepthStencil);
        glBindRenderbuffer(GL_RENDERBUFFER, mColor);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, pixelWidth, pixelHeight);
        // NanoVG needs the stencil for concave fills and strokes.
        glBindRenderbuffer(GL_RENDERBUFFER, mDepthStencil);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, pixelWidth, pixelHeight);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, mColor);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, mDepthStencil);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            Release();
            mUnavailable = true;
            return false;
        }
        mWidth = pixelWidth;
        mHeight = pixelHeight;
        mSurfaceId = IGraphics::NewSurfaceId();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    return true;
}

void GlRenderTarget::CopyToWindow() {
    if (mFramebuffer == 0) return;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, mFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    glBlitFramebuffer(0, 0, mWidth, mHeight, 0, 0, mWidth, mHeight, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void GlRenderTarget::Release() {
    if (mFramebuffer != 0) glDeleteFramebuffers(1, &mFramebuffer);
    if (mColor != 0) glDeleteRenderbuffers(1, &mColor);
    if (mDepthStencil != 0) glDeleteRenderbuffers(1, &mDepthStencil);
    mFramebuffer = mColor = mDepthStencil = 0;
    mWidth = mHeight = 0;
    mSurfaceId = 0;
}

void GlRenderTarget::Forget() {
    mFramebuffer = mColor = mDepthStencil = 0;
    mWidth = mHeight = 0;
    mSurfaceId = 0;
    mUnavailable = false;
}

}  // namespace halcyra
