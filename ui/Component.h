#pragma once
// The common base of every component: a name, an integer tag, an owner, the loading state
// during which a window's stored layout is applied, and removal notices between components that
// refer to each other.
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace tarnwick::ui {

class Component;

// An event whose only argument is the component that raised it.
using TNotifyEvent = std::function<void(Component& sender)>;

class Component {
 public:
  explicit Component(Component* owner = nullptr) : owner_(owner) {}
  virtual ~Component();
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  Component* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  // True while the stored layout is being applied.
  bool Loading() const { return loading_; }
  void BeginLoading() { loading_ = true; }
  // Ends loading and runs the load-completion step. It runs while a window is built, so its
  // error is shown like a window procedure's and the building goes on.
  void EndLoading();

  // `listener` is told through Notification when this component is destroyed. Either side may
  // go first; the link is dropped in both directions.
  void FreeNotification(Component& listener);
  void RemoveFreeNotification(Component& listener);

 protected:
  // Runs once all stored properties of the owning window are in place.
  virtual void Loaded() {}
  // `component`, which this one asked to hear about, is being destroyed.
  virtual void Notification(Component& component) { (void)component; }

 private:
  Component* owner_;
  std::string name_;
  int tag_ = 0;
  bool loading_ = false;
  std::vector<Component*> listeners_;  // told when this one goes
  std::vector<Component*> watched_;    // this one listens to them
};

// Keeps components loading while a window's stored layout is applied; when it goes, each one's
// load-completion step runs, in the order given.
class LayoutLoading {
 public:
  explicit LayoutLoading(std::initializer_list<Component*> components) : components_(components) {
    for (Component* component : components_) component->BeginLoading();
  }
  ~LayoutLoading() {
    for (Component* component : components_) component->EndLoading();
  }
  LayoutLoading(const LayoutLoading&) = delete;
  LayoutLoading& operator=(const LayoutLoading&) = delete;

 private:
  std::vector<Component*> components_;
};

}  // namespace tarnwick::ui
