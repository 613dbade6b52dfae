// Menu bars of windows. A top-level item with sub-items opens a drop-down list under
// the mouse; an item without sub-items is clicked on the host. The keyboard's menus
// are the host's (Alt+letter, arrows, Enter, Escape): the menu the host holds open is
// shown as a drop-down under its top-level item, with its highlighted item, until the
// host closes it.
import { el, setCaption } from './dom.js';
import { closePopup, openPopup, popupState } from './popup.js';

export function renderMenuBar(bar, windowName, items, send) {
  const key = JSON.stringify(items || []);
  if (bar.dataset.key === key) return;
  bar.dataset.key = key;
  bar.replaceChildren();
  for (const item of items || []) {
    const node = el('div', 'menu-top', bar);
    node.dataset.name = item.name;
    node.dataset.window = windowName;
    setCaption(node, item.caption);
    node.classList.toggle('disabled', item.enabled === false);
    node.classList.toggle('open', Boolean(item.open));
    node.addEventListener('mousedown', (event) => {
      event.preventDefault();
      openMenuItem(node, windowName, item, send);
    });
  }
}

function entriesOf(item, onChoose) {
  const children = (item.items || []).filter((child) => child.visible !== false);
  return {
    children,
    entries: children.map((child) => ({
      label: child.caption === '-' ? '' : child.caption,
      enabled: child.enabled !== false && child.caption !== '-',
      onChoose: () => onChoose(child),
    })),
  };
}

export function openMenuItem(anchor, windowName, item, send) {
  if (item.enabled === false) return;
  const { entries } = entriesOf(item, (child) => openMenuItem(anchor, windowName, child, send));
  if (entries.length === 0) {
    send({ type: 'click', target: `${windowName}.${item.name}` });
    return;
  }
  openPopup(anchor, entries, { className: 'menu-popup', selected: entries.findIndex((e) => e.enabled), letters: true });
}

// The item the host holds open in a menu tree, with its top-level ancestor.
function findOpen(items, top = null) {
  for (const item of items || []) {
    if (item.open) return { open: item, top: top || item };
    const inner = findOpen(item.items, top || item);
    if (inner) return inner;
  }
  return null;
}

// Shows the menu the host holds open, if any window has one, and closes a drop-down
// shown for a menu the host has closed since.
export function showHostMenu(windows, send) {
  for (const win of windows) {
    const found = findOpen(win.menu);
    if (!found) continue;
    const anchor = document.querySelector(`.menu-top[data-window="${CSS.escape(win.name)}"][data-name="${CSS.escape(found.top.name)}"]`);
    if (!anchor) return;
    const { children, entries } = entriesOf(found.open, (child) => send({ type: 'click', target: `${win.name}.${child.name}` }));
    const selected = children.findIndex((child) => child.highlighted);
    const key = JSON.stringify([win.name, found.open, selected]);
    const shown = popupState();
    if (shown && shown.hostKey === key) return;
    // A click elsewhere closes it the way Escape would, on the host too.
    const dismiss = () => send({ type: 'key', vk: 27, char: '\u001b' });
    openPopup(anchor, entries, { className: 'menu-popup host-menu', selected, hostKey: key, onDismiss: dismiss });
    return;
  }
  const shown = popupState();
  if (shown && shown.hostKey) closePopup();
}
