// SPDX-License-Identifier: GPL-3.0-or-later
// GObject types in plain C style: the drawing area, its accessible, and one
// accessible per control, a button or the slider.
#include "platform/accessible_gtk.h"

#include <gtk/gtk-a11y.h>

#include <string>
#include <utility>

#include "app/changes.h"
#include "app/controls.h"

namespace {

AccessibleSeam seam;

const Player* ThePlayer() { return seam.player ? seam.player() : nullptr; }

// --- one control

struct ControlAccessible {
  AtkObject parent;
  Control control;
};
struct ControlAccessibleClass {
  AtkObjectClass parent_class;
};

void control_accessible_component_init(AtkComponentIface* iface);

G_DEFINE_TYPE_WITH_CODE(ControlAccessible, control_accessible, ATK_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_COMPONENT, control_accessible_component_init))

ControlAccessible* AsControl(gpointer object) { return reinterpret_cast<ControlAccessible*>(object); }

gint ControlIndex(AtkObject* object) { return gint(AsControl(object)->control) - 1; }

AtkStateSet* ControlStates(AtkObject* object) {
  AtkStateSet* states = ATK_OBJECT_CLASS(control_accessible_parent_class)->ref_state_set(object);
  for (AtkStateType state : {ATK_STATE_ENABLED, ATK_STATE_SENSITIVE, ATK_STATE_VISIBLE, ATK_STATE_SHOWING,
                             ATK_STATE_FOCUSABLE}) {
    atk_state_set_add_state(states, state);
  }
  const Control control = AsControl(object)->control;
  if (control == Control::Volume) atk_state_set_add_state(states, ATK_STATE_HORIZONTAL);
  if (const Player* player = ThePlayer()) {
    if (player->pointer.keyboardFocus == control) atk_state_set_add_state(states, ATK_STATE_FOCUSED);
    if (ControlPressed(control, player->playback)) atk_state_set_add_state(states, ATK_STATE_PRESSED);
  }
  return states;
}

void control_accessible_class_init(ControlAccessibleClass* klass) {
  AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
  atk->get_index_in_parent = ControlIndex;
  atk->ref_state_set = ControlStates;
}

void control_accessible_init(ControlAccessible*) {}

// Where the control is on screen: its box inside the drawing area.
void ControlExtents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height, AtkCoordType coords) {
  *x = *y = *width = *height = 0;
  const Player* player = ThePlayer();
  AtkObject* area = atk_object_get_parent(ATK_OBJECT(component));
  if (player == nullptr || area == nullptr || !ATK_IS_COMPONENT(area)) return;
  gint areaX = 0, areaY = 0, areaWidth = 0, areaHeight = 0;
  atk_component_get_extents(ATK_COMPONENT(area), &areaX, &areaY, &areaWidth, &areaHeight, coords);
  const Box box = ControlBox(player->look.layout, AsControl(component)->control);
  *x = areaX + gint(box.x);
  *y = areaY + gint(box.y);
  *width = gint(box.width);
  *height = gint(box.height);
}

void control_accessible_component_init(AtkComponentIface* iface) { iface->get_extents = ControlExtents; }

// --- a push button

struct ButtonAccessible {
  ControlAccessible parent;
};
struct ButtonAccessibleClass {
  ControlAccessibleClass parent_class;
};

void button_accessible_action_init(AtkActionIface* iface);

G_DEFINE_TYPE_WITH_CODE(ButtonAccessible, button_accessible, control_accessible_get_type(),
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_ACTION, button_accessible_action_init))

void button_accessible_class_init(ButtonAccessibleClass*) {}
void button_accessible_init(ButtonAccessible*) {}

// The press runs from the loop, not inside the reader's call: it may open
// a message box, which would hold the reader's answer until it closes.
gboolean RunPress(gpointer control) {
  if (seam.run) seam.run(PressCommand(Control(GPOINTER_TO_INT(control))));
  return G_SOURCE_REMOVE;
}

gboolean ButtonDoAction(AtkAction* action, gint index) {
  if (index != 0) return FALSE;
  g_idle_add(RunPress, GINT_TO_POINTER(int(AsControl(action)->control)));
  return TRUE;
}
gint ButtonActionCount(AtkAction*) { return 1; }
const gchar* ButtonActionName(AtkAction*, gint index) { return index == 0 ? "press" : nullptr; }

void button_accessible_action_init(AtkActionIface* iface) {
  iface->do_action = ButtonDoAction;
  iface->get_n_actions = ButtonActionCount;
  iface->get_name = ButtonActionName;
}

// --- the slider

struct SliderAccessible {
  ControlAccessible parent;
};
struct SliderAccessibleClass {
  ControlAccessibleClass parent_class;
};

void slider_accessible_value_init(AtkValueIface* iface);

G_DEFINE_TYPE_WITH_CODE(SliderAccessible, slider_accessible, control_accessible_get_type(),
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_VALUE, slider_accessible_value_init))

void slider_accessible_class_init(SliderAccessibleClass*) {}
void slider_accessible_init(SliderAccessible*) {}

void SliderValue(AtkValue*, gdouble* value, gchar** text) {
  const Player* player = ThePlayer();
  const int percent = player != nullptr ? VolumePercent(player->playback.volume) : 0;
  if (value != nullptr) *value = percent;
  if (text != nullptr) *text = g_strdup_printf("%d %%", percent);
}
AtkRange* SliderRange(AtkValue*) { return atk_range_new(0, 100, nullptr); }
gdouble SliderIncrement(AtkValue*) { return kVolumeStepPercent; }
void SliderSetValue(AtkValue*, gdouble percent) {
  if (seam.run) seam.run({Command::Kind::SetVolume, {}, float(percent / 100.0)});
}

void slider_accessible_value_init(AtkValueIface* iface) {
  iface->get_value_and_text = SliderValue;
  iface->get_range = SliderRange;
  iface->get_increment = SliderIncrement;
  iface->set_value = SliderSetValue;
}

AtkObject* NewControlAccessible(const ControlDescription& description, AtkObject* area) {
  const GType type = description.slider ? slider_accessible_get_type() : button_accessible_get_type();
  auto* object = ATK_OBJECT(g_object_new(type, nullptr));
  AsControl(object)->control = description.control;
  atk_object_set_name(object, description.name);
  atk_object_set_role(object, description.slider ? ATK_ROLE_SLIDER : ATK_ROLE_PUSH_BUTTON);
  atk_object_set_parent(object, area);
  return object;
}

// --- the drawing area's accessible

struct AreaAccessible {
  GtkWidgetAccessible parent;
  AtkObject* controls[kControlCount];
  Control focusTold;  // the focus assistive technologies were last told of
};
struct AreaAccessibleClass {
  GtkWidgetAccessibleClass parent_class;
};

G_DEFINE_TYPE(AreaAccessible, area_accessible, GTK_TYPE_WIDGET_ACCESSIBLE)

AreaAccessible* AsArea(gpointer object) { return reinterpret_cast<AreaAccessible*>(object); }

void AreaInitialize(AtkObject* object, gpointer data) {
  ATK_OBJECT_CLASS(area_accessible_parent_class)->initialize(object, data);
  atk_object_set_role(object, ATK_ROLE_DRAWING_AREA);
  for (int i = 0; i < kControlCount; ++i) AsArea(object)->controls[i] = NewControlAccessible(kControls[i], object);
}

gint AreaChildCount(AtkObject* object) { return AsArea(object)->controls[0] != nullptr ? kControlCount : 0; }

AtkObject* AreaChild(AtkObject* object, gint index) {
  if (index < 0 || index >= kControlCount || AsArea(object)->controls[index] == nullptr) return nullptr;
  return ATK_OBJECT(g_object_ref(AsArea(object)->controls[index]));
}

// The children hold their parent: they go with the widget, or neither would ever be freed.
void DropControls(AreaAccessible* area) {
  for (AtkObject*& control : area->controls) {
    if (control != nullptr) atk_object_set_parent(control, nullptr);
    g_clear_object(&control);
  }
}

void AreaWidgetUnset(GtkAccessible* accessible) {
  DropControls(AsArea(accessible));
  GTK_ACCESSIBLE_CLASS(area_accessible_parent_class)->widget_unset(accessible);
}

void AreaFinalize(GObject* object) {
  DropControls(AsArea(object));
  G_OBJECT_CLASS(area_accessible_parent_class)->finalize(object);
}

void area_accessible_class_init(AreaAccessibleClass* klass) {
  AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
  atk->initialize = AreaInitialize;
  atk->get_n_children = AreaChildCount;
  atk->ref_child = AreaChild;
  GTK_ACCESSIBLE_CLASS(klass)->widget_unset = AreaWidgetUnset;
  G_OBJECT_CLASS(klass)->finalize = AreaFinalize;
}

void area_accessible_init(AreaAccessible* area) {
  for (AtkObject*& control : area->controls) control = nullptr;
  area->focusTold = Control::NoControl;
}

// --- the drawing area

struct ControlsArea {
  GtkDrawingArea parent;
};
struct ControlsAreaClass {
  GtkDrawingAreaClass parent_class;
};

G_DEFINE_TYPE(ControlsArea, controls_area, GTK_TYPE_DRAWING_AREA)

void controls_area_class_init(ControlsAreaClass* klass) {
  gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(klass), area_accessible_get_type());
  gtk_widget_class_set_accessible_role(GTK_WIDGET_CLASS(klass), ATK_ROLE_DRAWING_AREA);
}

void controls_area_init(ControlsArea*) {}

AtkObject* ControlAt(AreaAccessible* area, Control control) {
  return control == Control::NoControl ? nullptr : area->controls[int(control) - 1];
}

}  // namespace

GtkWidget* NewControlsArea(AccessibleSeam given) {
  seam = std::move(given);
  return GTK_WIDGET(g_object_new(controls_area_get_type(), nullptr));
}

void ControlsFollow(GtkWidget* area, unsigned changes) {
  const Player* player = ThePlayer();
  AtkObject* accessible = area != nullptr ? gtk_widget_get_accessible(area) : nullptr;
  if (player == nullptr || !G_TYPE_CHECK_INSTANCE_TYPE(accessible, area_accessible_get_type())) return;
  AreaAccessible* controls = AsArea(accessible);
  AtkObject* play = ControlAt(controls, Control::Play);
  AtkObject* volume = ControlAt(controls, Control::Volume);
  if (play == nullptr || volume == nullptr) return;  // not asked for yet: nobody to tell
  if (changes & kPlayingChanged) atk_object_notify_state_change(play, ATK_STATE_PRESSED, player->playback.streamLive);
  if (changes & kVolumeChanged) g_object_notify(G_OBJECT(volume), "accessible-value");
  const Control focus = player->pointer.keyboardFocus;
  if (focus != controls->focusTold) {
    AtkObject* old = ControlAt(controls, controls->focusTold);
    AtkObject* now = ControlAt(controls, focus);
    if (old != nullptr) atk_object_notify_state_change(old, ATK_STATE_FOCUSED, FALSE);
    if (now != nullptr) atk_object_notify_state_change(now, ATK_STATE_FOCUSED, TRUE);
    controls->focusTold = focus;
  }
}
