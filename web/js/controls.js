// One renderer per control kind of the protocol. Each keeps its DOM node across
// states and only updates what changed; the host owns every value. Hints show as
// tooltips, buttons sink while pressed, disabled controls are drawn greyed.
import { renderAnimation } from './animation.js';
import { cssColor, droppedByKey, el, pressable, setCaption, setText, textWithSelection } from './dom.js';
import { createGrid, updateGrid } from './grid.js';
import { openPopup } from './popup.js';
import { setHint } from './tooltip.js';
import { offerFile } from './upload.js';

// Glyphs of toolbar buttons without a caption, chosen by the button's name.
const GLYPHS = [
  [/Incluir|Novo/i, '+'],
  [/Excluir/i, '−'],
  [/Alterar/i, '✎'],
  [/Verificar|Atualiz/i, '⟳'],
  [/Confirma/i, '✔'],
  [/Cancel/i, '✖'],
  [/Imprimir|Visualizar/i, '▤'],
  [/Exportar/i, '⇩'],
  [/Importar/i, '⇧'],
  [/Ajuda|Help/i, '?'],
  [/Fechar/i, '⏏'],
  [/FormComp/i, 'ƒ'],
  [/Copia/i, '❐'],
  [/Previa/i, '◉'],
  [/Historico/i, '◷'],
  [/Desfaz/i, '↶'],
  [/Pesq|Search/i, '⌕'],
  [/Consultar|Listagem/i, '☰'],
];

const NAVIGATOR_GLYPHS = {
  first: '⇤', prior: '◀', next: '▶', last: '⇥', insert: '+', delete: '−',
  edit: '✎', post: '✔', cancel: '✖', refresh: '⟳',
};

function glyphFor(name) {
  for (const [pattern, glyph] of GLYPHS) if (pattern.test(name)) return glyph;
  return '•';
}

// The host's colours go into custom properties, so the style sheet decides how a
// disabled control looks whatever colours it was given. A text colour of the screen's
// own choosing (a formula shown in blue) is kept on a display-only control.
const DEFAULT_TEXT_COLORS = new Set(['', 'clWindowText', 'clBtnText', 'clBlack', 'clDefault']);
const LINE_HEIGHT = 13;

// A text cut by its box shows whole in the control's hint (unless it has one of its
// own); measured only when the text or the box changed, once the whole state is drawn
// (a window just opened is shown only then).
function hintWhenCut(node, control, text) {
  if (control.hint) return;
  const key = JSON.stringify([text, control.bounds]);
  if (node.dataset.cutKey === key) return;
  node.dataset.cutKey = key;
  queueMicrotask(() => {
    const cut = node.scrollWidth > node.clientWidth + 1 || node.scrollHeight > node.clientHeight + 1;
    setHint(node, cut ? text : '');
  });
}

function applyCommon(node, control, ctx) {
  node.classList.toggle('disabled', !ctx.enabled);
  node.classList.toggle('focused', ctx.focused);
  node.hidden = control.visible === false;
  if (control.hint || !node.dataset.cutKey) setHint(node, control.hint);
  const font = control.font || {};
  node.style.setProperty('--ctl-bg', cssColor(control.color) || 'transparent');
  node.style.setProperty('--ctl-fg', cssColor(font.color) || 'inherit');
  node.classList.toggle('own-fg', !DEFAULT_TEXT_COLORS.has(font.color || '') && Boolean(cssColor(font.color)));
  node.style.fontWeight = font.bold ? 'bold' : '';
}

// Draws the text of an edit; when focused, the caret (or the selection) sits where
// the host says (selStart, selLength; the end of the text when not given).
function textBox(node, text, ctx, control = {}) {
  let value = node.querySelector(':scope > .value');
  if (!value) value = el('span', 'value', node);
  const shown = text ?? '';
  if (!ctx.focused) {
    if (value.childElementCount) value.replaceChildren();
    setText(value, shown);
    return;
  }
  textWithSelection(value, shown, control.selStart, control.selLength);
}

const renderers = {
  panel(node, control) {
    node.classList.add('bevel-raised');
    if (control.caption) {
      let caption = node.querySelector(':scope > .panel-caption');
      if (!caption) caption = el('span', 'panel-caption', node);
      setCaption(caption, control.caption);
    }
  },
  groupbox(node, control) {
    let legend = node.querySelector(':scope > .legend');
    if (!legend) legend = el('span', 'legend', node);
    setCaption(legend, control.caption);
    legend.hidden = !control.caption;
  },
  scrollbox() {},
  label(node, control) {
    setCaption(node, control.caption);
    // A label given room for more than one line wraps inside it.
    node.classList.toggle('multiline', (control.bounds?.[3] ?? 0) >= 2 * LINE_HEIGHT);
    hintWhenCut(node, control, (control.caption ?? '').replace(/&(&?)/g, '$1'));
  },
  dbtext(node, control) {
    setText(node, control.text ?? control.caption);
  },
  edit(node, control, ctx) {
    textBox(node, control.text, ctx, control);
    // A text that cannot be typed (read-only, or in a disabled box) scrolls sideways.
    node.classList.toggle('read-only-text', Boolean(control.readOnly) || !ctx.enabled);
    hintWhenCut(node, control, control.passwordChar ? '' : control.text);
  },
  dateedit(node, control, ctx) {
    textBox(node, control.editText ?? control.text, ctx, control);
    let weekday = node.querySelector(':scope > .weekday');
    if (!weekday) weekday = el('span', 'weekday', node);
    setText(weekday, control.weekday || '');
  },
  maskedit(node, control, ctx) {
    const shown = control.editMask ? control.editText ?? control.text : control.text;
    textBox(node, shown, ctx, control);
  },
  combobox(node, control, ctx) {
    const items = control.items || [];
    textBox(node, control.text ?? items[control.itemIndex] ?? '', { ...ctx, focused: false });
    let arrow = node.querySelector(':scope > .combo-arrow');
    if (!arrow) {
      arrow = el('span', 'combo-arrow', node);
      arrow.textContent = '▾';
    }
    const openList = () => openPopup(node, items.map((item, index) => ({
      label: item.replace(/&/g, '&&'),
      onChoose: () => ctx.send({ type: 'select', target: ctx.path, index }),
    })), { selected: control.itemIndex });
    node.onmousedown = (event) => {
      event.preventDefault();
      if (!ctx.enabled) return;
      ctx.send({ type: 'focus', target: ctx.path });
      openList();
    };
    if (droppedByKey(node, control)) openList();
  },
  radio(node, control) {
    checkable(node, control, 'radio-mark', control.checked ? '◉' : '○');
  },
  checkbox(node, control) {
    checkable(node, control, 'check-mark', control.checked ? '☑' : '☐');
  },
  button(node, control, ctx) {
    node.classList.toggle('flat', Boolean(control.flat));
    if (control.caption) {
      setCaption(node, control.caption);
    } else {
      setText(node, glyphFor(control.name));
      node.classList.add('glyph');
    }
    pressable(node);
    if (control.chooseFile) offerFile(node, control.chooseFile, ctx.path);
  },
  searchbutton(node, control) {
    setText(node, control.caption || '⌕');
    node.classList.add('glyph');
    pressable(node);
  },
  bevel() {},
  dbnavigator(node, control, ctx) {
    const buttons = control.buttons || [];
    const key = JSON.stringify([buttons, ctx.enabled]);
    if (node.dataset.key === key) return;
    node.dataset.key = key;
    node.replaceChildren();
    for (const button of buttons) {
      const b = el('span', 'nav-button', node);
      b.textContent = NAVIGATOR_GLYPHS[button.name] || '•';
      b.dataset.button = button.name;
      b.classList.toggle('disabled', !button.enabled || !ctx.enabled);
      setHint(b, button.hint);
      pressable(b);
      b.addEventListener('mousedown', (event) => {
        event.preventDefault();
        if (button.enabled && ctx.enabled) ctx.send({ type: 'click', target: ctx.path, button: button.name });
      });
    }
  },
  animate(node, control) {
    renderAnimation(node, control.clip || 'none', control.active);
  },
  statusbar(node, control) {
    const panels = control.panels || [];
    const cells = () => node.querySelectorAll(':scope > .status-panel');
    while (cells().length > panels.length) [...cells()].pop().remove();
    panels.forEach((panel, index) => {
      let cell = cells()[index];
      if (!cell) cell = node.insertBefore(el('span', 'status-panel'), node.querySelector(':scope > .status-documents'));
      cell.dataset.panel = String(index);
      const last = index === panels.length - 1;
      cell.classList.toggle('last', last);
      cell.style.width = last ? '' : `${panel.width}px`;
      setText(cell, panel.text);
      setHint(cell, panel.text);
    });
  },
};

function checkable(node, control, markClass, glyph) {
  let mark = node.querySelector(`:scope > .${markClass}`);
  let label = node.querySelector(':scope > .check-caption');
  if (!mark) {
    mark = el('span', markClass, node);
    label = el('span', 'check-caption', node);
  }
  setText(mark, glyph);
  setCaption(label, control.caption);
}

const CLICKABLE = new Set(['button', 'searchbutton', 'radio', 'checkbox']);
const FOCUSABLE = new Set(['edit', 'maskedit', 'dateedit', 'dbgrid']);

export function renderControl(node, control, ctx) {
  node.classList.add('ctl', `kind-${control.kind}`);
  applyCommon(node, control, ctx);
  if (control.kind === 'dbgrid') {
    if (!node.grid) node.grid = createGrid(node, ctx.path, ctx.send);
    node.grid.path = ctx.path;
    updateGrid(node.grid, control, ctx.focused);
    // A click on the grid outside its cells only moves the focus to it.
    node.onmousedown = (event) => {
      if (event.target.closest('.grid-cell, .grid-mark, .grid-pick, .grid-ellipsis')) return;
      event.preventDefault();
      if (ctx.enabled && !ctx.focused) ctx.send({ type: 'focus', target: ctx.path });
    };
    return;
  }
  const render = renderers[control.kind];
  if (render) render(node, control, ctx);
  if (CLICKABLE.has(control.kind)) {
    node.onmousedown = (event) => {
      event.preventDefault();
      if (ctx.enabled) ctx.send({ type: 'click', target: ctx.path });
    };
  } else if (FOCUSABLE.has(control.kind)) {
    node.onmousedown = (event) => {
      if (event.target.closest('.grid-body, .grid-head')) return;
      event.preventDefault();
      if (ctx.enabled) ctx.send({ type: 'focus', target: ctx.path });
    };
  }
}
