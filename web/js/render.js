// Draws a host state: the MDI frame with its menu, its status bar and the desktop of
// child windows, child windows at their bounds, modal windows over a backdrop, message
// boxes and search lists. DOM nodes are kept per window and per control path across
// states.
//
// A child window with a sizeable border can be dragged by its title bar, resized at its
// right and bottom borders, maximised and restored (title buttons or a double click on
// the title); each of these goes to the host, which lays out the window's controls.
// Windows with a fixed border only move. Modal windows are centred and move locally.
import { el, pressable, setBounds, setCaption, setText } from './dom.js';
import { messageIcon, titleIcon } from './icons.js';
import { renderMenuBar, showHostMenu } from './menu.js';
import { renderControl } from './controls.js';
import { setHint } from './tooltip.js';

const TITLE_HEIGHT = 24;

export class Renderer {
  constructor({ frame, modalLayer, send }) {
    this.frameRoot = frame;
    this.modalLayer = modalLayer;
    this.send = send;
    this.windows = new Map(); // name -> {node, title, client, menu, controls: Map}
    this.offsets = new Map(); // name -> [dx, dy] a floating window was moved by
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
    showHostMenu(windows, this.send);
  }

  renderFrame(win, state) {
    if (!this.frame) {
      const root = this.frameRoot;
      root.replaceChildren();
      const title = el('div', 'frame-title', root);
      const menu = el('div', 'menubar', root);
      const client = el('div', 'frame-client', root);
      const desktop = el('div', 'desktop', client);
      this.frame = { root, title, menu, client, desktop, controls: new Map(), name: win.name };
    }
    const f = this.frame;
    f.name = win.name;
    setText(f.title, win.caption);
    document.title = win.caption || document.title;
    renderMenuBar(f.menu, win.name, win.menu, this.send);
    // The child windows' area: the frame's client area less its status bar.
    const area = win.mdiClient || [0, 0, f.client.clientWidth, f.client.clientHeight];
    setBounds(f.desktop, area);
    this.renderControls(f.client, win, state, f.controls);
    this.renderDocuments(state.documents || []);
  }

  // Reports produced so far, as links at the end of the frame's status bar.
  renderDocuments(documents) {
    const bar = this.frame.client.querySelector(':scope > .kind-statusbar');
    if (!bar) return;
    let list = bar.querySelector(':scope > .status-documents');
    if (!list) list = el('span', 'status-documents', bar);
    const key = JSON.stringify(documents.map((d) => d.url));
    if (list.dataset.key === key) return;
    list.dataset.key = key;
    list.replaceChildren();
    list.hidden = documents.length === 0;
    if (documents.length === 0) return;
    el('span', 'status-label', list).textContent = 'Relatórios:';
    for (const doc of documents.slice(-5)) {
      const link = el('a', 'document-link', list);
      link.href = doc.url;
      link.target = '_blank';
      link.rel = 'noopener';
      link.textContent = `${doc.title} (${documentFormat(doc.url)}, ${this.documentTime(doc.url)})`;
      setHint(link, doc.title);
    }
  }

  // The time the page first listed a document (the host lists it once it is written).
  documentTime(url) {
    if (!this.documentTimes) this.documentTimes = new Map();
    if (!this.documentTimes.has(url)) {
      this.documentTimes.set(url, new Date().toLocaleTimeString('pt-BR', { hour: '2-digit', minute: '2-digit', second: '2-digit' }));
    }
    return this.documentTimes.get(url);
  }

  windowEntry(win) {
    let entry = this.windows.get(win.name);
    if (entry) return entry;
    const node = el('div', 'window');
    node.dataset.name = win.name;
    const title = el('div', 'titlebar', node);
    const caption = el('span', 'title-caption', title);
    const maximize = this.titleButton(title, 'maximize', 'Maximizar', () => this.toggleMaximized(win.name));
    const close = this.titleButton(title, 'close', 'Fechar', () => this.send({ type: 'close', target: win.name }));
    close.classList.add('close-box');
    const menu = el('div', 'menubar window-menu', node);
    const client = el('div', 'client', node);
    entry = { node, title, caption, maximize, menu, client, controls: new Map(), backdrop: null, win };
    title.addEventListener('dblclick', () => {
      if (entry.sizeable) this.toggleMaximized(win.name);
    });
    this.makeDraggable(win.name, entry);
    this.makeResizable(win.name, entry);
    this.windows.set(win.name, entry);
    return entry;
  }

  titleButton(title, icon, label, onClick) {
    const button = el('span', 'title-button', title);
    button.dataset.button = icon;
    button.setAttribute('aria-label', label);
    button.appendChild(titleIcon(icon));
    pressable(button);
    button.addEventListener('mousedown', (event) => {
      event.preventDefault();
      event.stopPropagation();
      if (event.button === 0) onClick();
    });
    return button;
  }

  toggleMaximized(name) {
    const entry = this.windows.get(name);
    if (!entry || !entry.sizeable) return;
    this.send({ type: 'windowState', target: name, state: entry.maximized ? 'normal' : 'maximized' });
  }

  // Dragging by the title bar moves a child window on the host (so it keeps its place
  // when restored), a floating window only on the page.
  makeDraggable(name, entry) {
    entry.title.addEventListener('mousedown', (event) => {
      if (event.button !== 0 || event.detail > 1 || entry.maximized) return;
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
        if (entry.floating) return;
        const [dx, dy] = this.offsets.get(name) || [0, 0];
        if (dx === 0 && dy === 0) return;
        const [left, top, width, height] = entry.win.bounds;
        this.send({ type: 'bounds', target: name, bounds: [left + dx, top + dy, width, height] });
      };
      document.addEventListener('mousemove', move);
      document.addEventListener('mouseup', up);
    });
  }

  // Grips on the right and bottom borders (and their corner) of a sizeable window.
  makeResizable(name, entry) {
    entry.grips = ['e', 's', 'se'].map((side) => {
      const grip = el('div', `resize-grip ${side}`, entry.node);
      grip.addEventListener('mousedown', (event) => {
        if (event.button !== 0) return;
        event.preventDefault();
        event.stopPropagation();
        const [left, top, width0, height0] = entry.win.bounds;
        const startX = event.clientX;
        const startY = event.clientY;
        let width = width0;
        let height = height0;
        const move = (e) => {
          if (side !== 's') width = Math.max(120, width0 + e.clientX - startX);
          if (side !== 'e') height = Math.max(60, height0 + e.clientY - startY);
          entry.node.style.width = `${width}px`;
          entry.node.style.height = `${height}px`;
        };
        const up = () => {
          document.removeEventListener('mousemove', move);
          document.removeEventListener('mouseup', up);
          if (width !== width0 || height !== height0) this.send({ type: 'bounds', target: name, bounds: [left, top, width, height] });
        };
        document.addEventListener('mousemove', move);
        document.addEventListener('mouseup', up);
      });
      return grip;
    });
  }

  renderWindow(win, state, index, isTopModal) {
    const entry = this.windowEntry(win);
    const { node } = entry;
    const floating = win.modal || win.kind !== 'form' || !win.mdiChild;
    entry.win = win;
    entry.floating = floating;
    entry.maximized = win.windowState === 'maximized';
    entry.sizeable = !floating && win.borderStyle === 'sizeable';
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
    node.classList.toggle('maximized', entry.maximized);
    node.style.zIndex = String(10 + index);
    setCaption(entry.caption, win.caption);
    this.showTitleButtons(entry);
    this.placeWindow(win, entry, floating);
    renderMenuBar(entry.menu, win.name, win.menu, this.send);
    entry.menu.hidden = !(win.menu && win.menu.length);
    if (win.kind === 'message') this.renderMessage(win, entry, state);
    else this.renderControls(entry.client, win, state, entry.controls);
  }

  showTitleButtons(entry) {
    entry.maximize.hidden = !entry.sizeable;
    const icon = entry.maximized ? 'restore' : 'maximize';
    if (entry.maximize.dataset.button !== icon) {
      entry.maximize.dataset.button = icon;
      entry.maximize.replaceChildren(titleIcon(icon));
      entry.maximize.setAttribute('aria-label', entry.maximized ? 'Restaurar' : 'Maximizar');
    }
    for (const grip of entry.grips) grip.hidden = !entry.sizeable || entry.maximized;
  }

  placeWindow(win, entry, floating) {
    const [left, top, width, height] = win.bounds || [0, 0, 360, 160];
    const node = entry.node;
    node.style.width = `${width}px`;
    if (win.kind !== 'message') node.style.height = `${height}px`;
    if (floating) {
      node.style.left = `${Math.max(0, Math.round((window.innerWidth - width) / 2))}px`;
      node.style.top = `${Math.max(0, Math.round((window.innerHeight - height) / 3))}px`;
      const [dx, dy] = this.offsets.get(win.name) || [0, 0];
      node.style.translate = `${dx}px ${dy}px`;
    } else {
      // The host has the child window's position, dragging included.
      this.offsets.delete(win.name);
      node.style.translate = '';
      node.style.left = `${left}px`;
      node.style.top = `${top}px`;
    }
  }

  renderMessage(win, entry, state) {
    const client = entry.client;
    const key = JSON.stringify([win.dlgType, win.text, (win.controls || []).map((c) => [c.name, c.caption])]);
    if (client.dataset.key !== key) {
      client.dataset.key = key;
      client.replaceChildren();
      const body = el('div', 'message-body', client);
      const icon = el('span', `message-icon ${win.dlgType || ''}`, body);
      const drawing = messageIcon(win.dlgType);
      if (drawing) icon.appendChild(drawing);
      else icon.hidden = true;
      el('div', 'message-text', body).textContent = win.text || '';
      const buttons = el('div', 'message-buttons', client);
      for (const control of win.controls || []) {
        if (control.kind !== 'button') continue;
        const button = el('button', 'message-button', buttons);
        button.type = 'button';
        button.tabIndex = -1;  // the host moves the focus between the buttons
        setCaption(button, control.caption || control.name.replace(/^btn/, ''));
        button.dataset.name = control.name;
        button.dataset.path = `${win.name}.${control.name}`;
        pressable(button);
        button.addEventListener('mousedown', (event) => {
          event.preventDefault();
          this.send({ type: 'click', target: `${win.name}.${control.name}` });
        });
      }
    }
    for (const button of client.querySelectorAll('.message-button')) {
      button.classList.toggle('focused', state.focus === button.dataset.path);
    }
  }

  renderControls(container, win, state, cache) {
    const seen = new Set();
    const walk = (parentNode, controls, firstPosition) => {
      let position = firstPosition;
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
        if (control.controls && control.controls.length) walk(node, control.controls, 0);
      }
    };
    // The frame's client area keeps its desktop first; controls follow it.
    walk(container, win.controls, container === this.frame?.client ? 1 : 0);
    for (const [path, node] of cache) {
      if (!seen.has(path)) {
        node.remove();
        cache.delete(path);
      }
    }
  }
}

// "PDF", "XLSX" or "CSV": the format of a document, from its file name.
function documentFormat(url) {
  const match = /\.([a-z0-9]+)$/i.exec(url);
  return match ? match[1].toUpperCase() : '';
}

// A control inside a disabled container is drawn disabled too.
function parentDisabled(node, parentNode) {
  for (let p = parentNode; p && p.classList && p.classList.contains('ctl'); p = p.parentElement) {
    if (p.classList.contains('disabled')) return true;
  }
  return false;
}

export { TITLE_HEIGHT };
