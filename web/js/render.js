// Draws a host state: the MDI frame with its menu and desktop, child windows at their
// bounds (draggable by the title bar), modal windows over a backdrop, message boxes and
// search lists. DOM nodes are kept per window and per control path across states.
import { el, setBounds, setCaption, setText } from './dom.js';
import { renderMenuBar } from './menu.js';
import { renderControl } from './controls.js';

const TITLE_HEIGHT = 24;
const MESSAGE_ICONS = { error: '⛔', warning: '⚠', information: 'ℹ', confirmation: '?' };

export class Renderer {
  constructor({ frame, modalLayer, send }) {
    this.frameRoot = frame;
    this.modalLayer = modalLayer;
    this.send = send;
    this.windows = new Map(); // name -> {node, title, client, menu, controls: Map}
    this.offsets = new Map(); // name -> [dx, dy] moved by dragging
    this.frame = null;
  }

  render(state) {
    const seen = new Set();
    const windows = state.windows || [];
    const topModal = [...windows].reverse().find((w) => w.modal);
    windows.forEach((win, index) => {
      seen.add(win.name);
      if (index === 0) this.renderFrame(win, state);
      else this.renderWindow(win, state, index, win === topModal);
    });
    for (const [name, entry] of this.windows) {
      if (!seen.has(name)) {
        entry.node.remove();
        if (entry.backdrop) entry.backdrop.remove();
        this.windows.delete(name);
        this.offsets.delete(name);
      }
    }
    this.modalLayer.hidden = !topModal;
  }

  renderFrame(win, state) {
    if (!this.frame) {
      const root = this.frameRoot;
      root.replaceChildren();
      const title = el('div', 'frame-title', root);
      const menu = el('div', 'menubar', root);
      const desktop = el('div', 'desktop', root);
      const status = el('div', 'statusbar', root);
      this.frame = { root, title, menu, desktop, status, controls: new Map(), name: win.name };
    }
    const f = this.frame;
    f.name = win.name;
    setText(f.title, win.caption);
    document.title = win.caption || document.title;
    renderMenuBar(f.menu, win.name, win.menu, this.send);
    this.renderControls(f.desktop, win, state, f.controls, true);
    this.renderDocuments(state.documents || []);
  }

  renderDocuments(documents) {
    const status = this.frame.status;
    const key = JSON.stringify(documents.map((d) => d.url));
    if (status.dataset.key === key) return;
    status.dataset.key = key;
    status.replaceChildren();
    if (documents.length === 0) return;
    el('span', 'status-label', status).textContent = 'Relatórios:';
    for (const doc of documents.slice(-5)) {
      const link = el('a', 'document-link', status);
      link.href = doc.url;
      link.target = '_blank';
      link.rel = 'noopener';
      link.textContent = doc.title;
    }
  }

  windowEntry(win) {
    let entry = this.windows.get(win.name);
    if (entry) return entry;
    const node = el('div', 'window');
    node.dataset.name = win.name;
    const title = el('div', 'titlebar', node);
    const caption = el('span', 'title-caption', title);
    const close = el('span', 'close-box', title);
    close.textContent = '✕';
    close.addEventListener('mousedown', (event) => {
      event.preventDefault();
      event.stopPropagation();
      this.send({ type: 'close', target: win.name });
    });
    const menu = el('div', 'menubar window-menu', node);
    const client = el('div', 'client', node);
    entry = { node, title, caption, menu, client, controls: new Map(), backdrop: null };
    this.makeDraggable(win.name, entry);
    this.windows.set(win.name, entry);
    return entry;
  }

  makeDraggable(name, entry) {
    entry.title.addEventListener('mousedown', (event) => {
      if (event.button !== 0) return;
      event.preventDefault();
      const [dx0, dy0] = this.offsets.get(name) || [0, 0];
      const startX = event.clientX;
      const startY = event.clientY;
      const move = (e) => {
        const offset = [dx0 + e.clientX - startX, dy0 + e.clientY - startY];
        this.offsets.set(name, offset);
        entry.node.style.translate = `${offset[0]}px ${offset[1]}px`;
      };
      const up = () => {
        document.removeEventListener('mousemove', move);
        document.removeEventListener('mouseup', up);
      };
      document.addEventListener('mousemove', move);
      document.addEventListener('mouseup', up);
    });
  }

  renderWindow(win, state, index, isTopModal) {
    const entry = this.windowEntry(win);
    const { node } = entry;
    const floating = win.modal || win.kind !== 'form' || !win.mdiChild;
    const parent = floating ? this.modalLayer : this.frame.desktop;
    if (win.modal && !entry.backdrop) entry.backdrop = el('div', 'backdrop');
    if (entry.backdrop) {
      entry.backdrop.hidden = !isTopModal;
      if (entry.backdrop.parentElement !== parent) parent.appendChild(entry.backdrop);
    }
    // Stacking follows z-index; moving the node in the DOM would reset its scroll positions.
    if (node.parentElement !== parent) parent.appendChild(node);
    node.className = `window kind-${win.kind}${win.modal ? ' modal' : ''}${win.mdiChild ? ' mdi' : ''}`;
    node.classList.toggle('active', state.activeForm === win.name);
    node.style.zIndex = String(10 + index);
    setCaption(entry.caption, win.caption);
    this.placeWindow(win, entry, floating);
    renderMenuBar(entry.menu, win.name, win.menu, this.send);
    entry.menu.hidden = !(win.menu && win.menu.length);
    if (win.kind === 'message') this.renderMessage(win, entry);
    else this.renderControls(entry.client, win, state, entry.controls, false);
  }

  placeWindow(win, entry, floating) {
    const [left, top, width, height] = win.bounds || [0, 0, 360, 160];
    const node = entry.node;
    node.style.width = `${width}px`;
    if (win.kind !== 'message') node.style.height = `${height}px`;
    if (floating) {
      node.style.left = `${Math.max(0, Math.round((window.innerWidth - width) / 2))}px`;
      node.style.top = `${Math.max(0, Math.round((window.innerHeight - height) / 3))}px`;
    } else {
      node.style.left = `${left}px`;
      node.style.top = `${top}px`;
    }
    const [dx, dy] = this.offsets.get(win.name) || [0, 0];
    node.style.translate = `${dx}px ${dy}px`;
  }

  renderMessage(win, entry) {
    const client = entry.client;
    const key = JSON.stringify([win.dlgType, win.text, (win.controls || []).map((c) => [c.name, c.caption])]);
    if (client.dataset.key === key) return;
    client.dataset.key = key;
    client.replaceChildren();
    const body = el('div', 'message-body', client);
    const icon = el('span', `message-icon ${win.dlgType || ''}`, body);
    icon.textContent = MESSAGE_ICONS[win.dlgType] || '';
    el('div', 'message-text', body).textContent = win.text || '';
    const buttons = el('div', 'message-buttons', client);
    for (const control of win.controls || []) {
      if (control.kind !== 'button') continue;
      const button = el('button', 'message-button', buttons);
      setCaption(button, control.caption || control.name.replace(/^btn/, ''));
      button.dataset.name = control.name;
      button.dataset.path = `${win.name}.${control.name}`;
      button.addEventListener('mousedown', (event) => {
        event.preventDefault();
        this.send({ type: 'click', target: `${win.name}.${control.name}` });
      });
    }
  }

  renderControls(container, win, state, cache, isFrame) {
    const seen = new Set();
    const walk = (parentNode, controls) => {
      let position = 0;
      for (const control of controls || []) {
        const path = `${win.name}.${control.name}`;
        seen.add(path);
        let node = cache.get(path);
        if (!node) {
          node = el('div');
          cache.set(path, node);
        }
        if (node.parentElement !== parentNode || parentNode.children[position] !== node) {
          parentNode.insertBefore(node, parentNode.children[position] || null);
        }
        position++;
        node.dataset.path = path;
        setBounds(node, control.bounds);
        const enabled = control.enabled !== false && !parentDisabled(node, parentNode);
        renderControl(node, control, {
          path,
          send: this.send,
          enabled,
          focused: state.focus === path,
        });
        node.dataset.selfDisabled = control.enabled === false ? '1' : '';
        if (control.controls && control.controls.length) walk(node, control.controls);
      }
    };
    walk(container, win.controls);
    for (const [path, node] of cache) {
      if (!seen.has(path)) {
        node.remove();
        cache.delete(path);
      }
    }
    if (isFrame) container.classList.add('has-frame-controls');
  }
}

// A control inside a disabled container is drawn disabled too.
function parentDisabled(node, parentNode) {
  for (let p = parentNode; p && p.classList && p.classList.contains('ctl'); p = p.parentElement) {
    if (p.classList.contains('disabled')) return true;
  }
  return false;
}

export { TITLE_HEIGHT };
