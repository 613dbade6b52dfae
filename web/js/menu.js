// Menu bars of windows. A top-level item with sub-items opens a drop-down list; an
// item without sub-items is clicked on the host. Alt+letter opens the top-level item
// whose caption has that accelerator.
import { el, setCaption } from './dom.js';
import { openPopup } from './popup.js';

export function renderMenuBar(bar, windowName, items, send) {
  const key = JSON.stringify(items || []);
  if (bar.dataset.key === key) return;
  bar.dataset.key = key;
  bar.replaceChildren();
  for (const item of items || []) {
    const node = el('div', 'menu-top', bar);
    node.dataset.name = item.name;
    setCaption(node, item.caption);
    if (item.enabled === false) node.classList.add('disabled');
    node.addEventListener('mousedown', (event) => {
      event.preventDefault();
      openMenuItem(node, windowName, item, send);
    });
  }
}

export function openMenuItem(anchor, windowName, item, send) {
  if (item.enabled === false) return;
  const children = (item.items || []).filter((child) => child.visible !== false);
  if (children.length === 0) {
    send({ type: 'click', target: `${windowName}.${item.name}` });
    return;
  }
  const entries = children.map((child) => ({
    label: child.caption === '-' ? '' : child.caption,
    enabled: child.enabled !== false && child.caption !== '-',
    onChoose: () => openMenuItem(anchor, windowName, child, send),
  }));
  openPopup(anchor, entries, { className: 'menu-popup', selected: entries.findIndex((e) => e.enabled) });
}

// Alt+letter: the top-level item whose accelerator is that letter, or null.
export function acceleratorItem(items, letter) {
  const wanted = letter.toLowerCase();
  for (const item of items || []) {
    const match = /&([^&])/.exec(item.caption || '');
    if (match && match[1].toLowerCase() === wanted) return item;
  }
  return null;
}
