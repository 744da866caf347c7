// The public file snapshot: taken through the active layer when there is
// one (a pending file is read with its new bytes), else from the backend.
#include "orvane/os/FileSnapshot.h"

#include "orvane/os/Backend.h"
#include "orvane/os/SeamLayer.h"

namespace orvane::os {
namespace {

class BackendSnapshot final : public FileSnapshot::Impl {
 public:
  BackendSnapshot(std::string path, backend::FileSnapshot snapshot)
      : m_path(std::move(path)), m_snapshot(std::move(snapshot)) {}
  const std::string& bytes() const override { return m_snapshot.bytes(); }
  bool IsCurrent() const override { return IsMachineSnapshotCurrent(m_snapshot, m_path); }

 private:
  std::string m_path;
  backend::FileSnapshot m_snapshot;
};

}  // namespace

// A layer begun since the snapshot was taken may hold the path pending: then
// the snapshot misses what the run reads. A layer that has ended leaves the
// machine as it was, so its end alone makes no snapshot stale.
bool IsMachineSnapshotCurrent(const backend::FileSnapshot& snapshot, const std::string& path) {
  const SeamLayer* layer = ActiveSeamLayer();
  return (layer == nullptr || !layer->HoldsChangeOf(path)) && snapshot.IsCurrent();
}

Expected<FileSnapshot> FileSnapshot::Take(const std::string& path) {
  if (SeamLayer* layer = ActiveSeamLayer()) {
    Expected<std::unique_ptr<Impl>> impl = layer->TakeFileSnapshot(path);
    if (!impl.ok()) return impl.status();
    return FileSnapshot(std::move(*impl));
  }
  Expected<backend::FileSnapshot> snapshot = backend::FileSnapshot::Take(path);
  if (!snapshot.ok()) return snapshot.status();
  return FileSnapshot(std::make_unique<BackendSnapshot>(path, std::move(*snapshot)));
}

FileSnapshot::FileSnapshot(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
FileSnapshot::FileSnapshot(FileSnapshot&&) noexcept = default;
FileSnapshot& FileSnapshot::operator=(FileSnapshot&&) noexcept = default;
FileSnapshot::~FileSnapshot() = default;
const std::string& FileSnapshot::bytes() const { return m_impl->bytes(); }
bool FileSnapshot::IsCurrent() const { return m_impl->IsCurrent(); }

}  // namespace orvane::os
