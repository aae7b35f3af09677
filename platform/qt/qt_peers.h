#pragma once
// The peers: one per form or control, each keeping its widget in step with its model.
// Changes are collected and applied once per pass of the event loop.
#include <QColor>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/forms/controls.h"

namespace qtpeers {

QString ToQt(const std::string& text);
std::string FromQt(const QString& text);
// Blue-green-red values to QColor.
QColor ToQColor(forms::TColor color);
// The form library's mask ("!90:00;1;_") as a QLineEdit input mask ("09:99;_").
QString QtInputMask(const std::string& mask);

class PeerHost;

class Peer : public forms::ComponentPeer {
 public:
  Peer(PeerHost& host, forms::TComponent& component) : host_(host), component_(&component) {}
  ~Peer() override;
  void Sync() override;
  void ComponentDestroyed() override;
  // Model to widget.
  virtual void Update() = 0;
  virtual QWidget* Widget() const = 0;
  forms::TComponent* Component() const { return component_; }

 protected:
  PeerHost& host_;
  forms::TComponent* component_;
};

class PeerHost {
 public:
  // Creates the peers of form and of everything on it (once).
  void MapForm(forms::TForm& form);
  Peer* PeerOf(const forms::TComponent* component) const;
  QWidget* WidgetOf(const forms::TComponent* component) const;
  // The widget that a control on parent goes into.
  QWidget* ContainerOf(const forms::TWinControl* parent) const;
  void MarkDirty(Peer* peer);
  void Forget(Peer* peer);
  // Applies every pending model change to its widget.
  void Flush();
  bool HasPending() const { return !dirty_.empty(); }
  // Edits shown by the spin box of their up-down control.
  bool HiddenByAssociation(const forms::TControl* control) const {
    return associated_.count(control) != 0;
  }
  void SetAssociated(const forms::TControl* edit) { associated_.insert(edit); }
  void DestroyAll();
  // Takes the peer into the host's keeping and attaches it to its component.
  Peer* Add(std::unique_ptr<Peer> peer);

 private:
  void MapControl(forms::TControl& control);
  void MapMenus(forms::TComponent& owner);

  std::vector<std::unique_ptr<Peer>> peers_;
  std::unordered_map<const forms::TComponent*, Peer*> by_component_;
  std::vector<Peer*> dirty_;
  std::unordered_set<const forms::TControl*> associated_;
  bool flushing_ = false;
};

}  // namespace qtpeers
