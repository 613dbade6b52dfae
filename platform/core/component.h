#pragma once
// TObject and TComponent: the root of every object the screens name.
//
// A component may have an owner; the owner destroys its components (newest first)
// when it is destroyed, and a component destroyed earlier leaves its owner's list,
// so a component is never destroyed twice. Components are created with `new` and an
// owner, and live until their owner goes (or until deleted explicitly).
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class TObject {
 public:
  virtual ~TObject() = default;
};

class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* owner = nullptr);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::string& Name() const noexcept { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  TComponent* Owner() const noexcept { return owner_; }
  const std::vector<TComponent*>& Components() const noexcept { return components_; }
  // The owned component with that name (exact match), or nullptr.
  TComponent* FindComponent(std::string_view name) const noexcept;
  // True from the start of the destructor on: handlers can tell a closing owner apart.
  bool Destroying() const noexcept { return destroying_; }

 private:
  void remove(TComponent* component) noexcept;

  std::string name_;
  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  bool destroying_ = false;
};

}  // namespace platform
