// The public file snapshot: taken through the active layer when there is
// one (a pending file is read with its new bytes), else from the backend.
#include "orvane/os/FileSnapshot.h"

#include "orvane/os/Backend.h"
#include "orvane/os/SeamLayer.h"

namespace orvane::os {
namespace {

class BackendSnapshot final : public FileSnapshot::Impl {
 public:
  explicit BackendSnapshot(backend::FileSnapshot snapshot) : m_snapshot(std::move(snapshot)) {}
  const std::string& bytes() const override { return m_snapshot.bytes(); }
  // Taken from the machine, it may miss what a recording layer begun since
  // holds pending: while one is active, it is never current.
  bool IsCurrent() const override { return ActiveSeamLayer() == nullptr && m_snapshot.IsCurrent(); }

 private:
  backend::FileSnapshot m_snapshot;
};

}  // namespace

Expected<FileSnapshot> FileSnapshot::Take(const std::string& path) {
  if (SeamLayer* layer = ActiveSeamLayer()) {
    Expected<std::unique_ptr<Impl>> impl = layer->TakeFileSnapshot(path);
    if (!impl.ok()) return impl.status();
    return FileSnapshot(std::move(*impl));
  }
  Expected<backend::FileSnapshot> snapshot = backend::FileSnapshot::Take(path);
  if (!snapshot.ok()) return snapshot.status();
  return FileSnapshot(std::make_unique<BackendSnapshot>(std::move(*snapshot)));
}

FileSnapshot::FileSnapshot(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
FileSnapshot::FileSnapshot(FileSnapshot&&) noexcept = default;
FileSnapshot& FileSnapshot::operator=(FileSnapshot&&) noexcept = default;
FileSnapshot::~FileSnapshot() = default;
const std::string& FileSnapshot::bytes() const { return m_impl->bytes(); }
bool FileSnapshot::IsCurrent() const { return m_impl->IsCurrent(); }

}  // namespace orvane::os
