// A drop-down list shown under an anchor element: used by combo boxes, grid pick
// lists and menus. Only one popup is open at a time; a click elsewhere closes it.
import { el, setCaption } from './dom.js';

let current = null;

export function closePopup() {
  if (current) {
    current.node.remove();
    current = null;
  }
}

export function popupOpen() {
  return current !== null;
}

// items: [{label, enabled, onChoose, hasSubmenu}]; returns the popup node.
export function openPopup(anchor, items, { className = '', selected = -1, onKey = null } = {}) {
  closePopup();
  const rect = anchor.getBoundingClientRect();
  const node = el('div', `popup ${className}`, document.body);
  node.style.left = `${Math.round(rect.left)}px`;
  node.style.top = `${Math.round(rect.bottom)}px`;
  node.style.minWidth = `${Math.round(rect.width)}px`;
  items.forEach((item, index) => {
    const row = el('div', 'popup-item', node);
    setCaption(row, item.label);
    if (item.enabled === false) row.classList.add('disabled');
    if (index === selected) row.classList.add('selected');
    row.addEventListener('mousedown', (event) => {
      event.preventDefault();
      event.stopPropagation();
      if (item.enabled === false) return;
      closePopup();
      item.onChoose();
    });
  });
  current = { node, items, selected, onKey, anchor };
  // Keep the list inside the viewport.
  const box = node.getBoundingClientRect();
  if (box.bottom > window.innerHeight) node.style.top = `${Math.max(0, rect.top - box.height)}px`;
  if (box.right > window.innerWidth) node.style.left = `${Math.max(0, window.innerWidth - box.width)}px`;
  return node;
}

// Keyboard inside an open popup: Up/Down move, Enter chooses, Escape closes.
// Returns true when the key was used by the popup.
export function popupKey(event) {
  if (!current) return false;
  const { items, node } = current;
  const rows = node.querySelectorAll('.popup-item');
  const move = (delta) => {
    let i = current.selected;
    for (let n = 0; n < items.length; n++) {
      i = (i + delta + items.length) % items.length;
      if (items[i].enabled !== false) break;
    }
    rows.forEach((r) => r.classList.remove('selected'));
    if (rows[i]) rows[i].classList.add('selected');
    current.selected = i;
  };
  switch (event.key) {
    case 'ArrowDown': move(1); return true;
    case 'ArrowUp': move(-1); return true;
    case 'Enter': {
      const item = items[current.selected];
      if (item && item.enabled !== false) {
        closePopup();
        item.onChoose();
      }
      return true;
    }
    case 'Escape': closePopup(); return true;
    default:
      if (current.onKey) return current.onKey(event);
      return false;
  }
}

document.addEventListener('mousedown', (event) => {
  if (current && !current.node.contains(event.target) && !current.anchor.contains(event.target)) closePopup();
});
