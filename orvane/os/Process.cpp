// The public process calls: starting programs and sleeping reach the active
// layer when there is one, else the backend; the environment is the
// process's own and always the backend's.
#include "orvane/os/Process.h"

#include "orvane/os/Backend.h"
#include "orvane/os/SeamLayer.h"

namespace orvane::os {
namespace {

class BackendPipe final : public ChildPipe::Impl {
 public:
  explicit BackendPipe(backend::ChildPipe pipe) : m_pipe(std::move(pipe)) {}
  FILE* stream() override { return m_pipe.stream(); }
  int Close() override { return m_pipe.Close(); }

 private:
  backend::ChildPipe m_pipe;
};

}  // namespace

std::unique_ptr<ChildPipe::Impl> BackendChildPipe(backend::ChildPipe pipe) {
  return std::make_unique<BackendPipe>(std::move(pipe));
}

Status StartProcess(const std::string& commandLine, const std::string& workingDirectory) {
  if (SeamLayer* layer = ActiveSeamLayer())
    return layer->StartProcess(commandLine, workingDirectory);
  return backend::StartProcess(commandLine, workingDirectory);
}

Expected<ChildPipe> ChildPipe::Open(const std::string& commandLine) {
  if (SeamLayer* layer = ActiveSeamLayer()) {
    Expected<std::unique_ptr<Impl>> impl = layer->OpenChildPipe(commandLine);
    if (!impl.ok()) return impl.status();
    return ChildPipe(std::move(*impl));
  }
  Expected<backend::ChildPipe> pipe = backend::ChildPipe::Open(commandLine);
  if (!pipe.ok()) return pipe.status();
  return ChildPipe(BackendChildPipe(std::move(*pipe)));
}

ChildPipe::ChildPipe(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
ChildPipe::ChildPipe(ChildPipe&&) noexcept = default;
ChildPipe& ChildPipe::operator=(ChildPipe&&) noexcept = default;
ChildPipe::~ChildPipe() = default;
FILE* ChildPipe::stream() { return m_impl ? m_impl->stream() : nullptr; }
int ChildPipe::Close() { return m_impl ? m_impl->Close() : -1; }

Status SetEnvironmentVariable(const std::string& name, const std::string& value) {
  return backend::SetEnvironmentVariable(name, value);
}

void SleepMilliseconds(unsigned long milliseconds) {
  if (SeamLayer* layer = ActiveSeamLayer()) return layer->SleepMilliseconds(milliseconds);
  backend::SleepMilliseconds(milliseconds);
}

}  // namespace orvane::os
