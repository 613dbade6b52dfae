// The data grid: column titles, the visible rows the host sends, and a virtual
// scroller whose height stands for every row, so 100,000 rows scroll like ten.
// The host owns the data; the grid only shows the window of rows starting at topRow
// and reports clicks, scrolling, pick-list choices and ellipsis clicks.
import { el, setText } from './dom.js';
import { openPopup } from './popup.js';

export const ROW_HEIGHT = 18;

export function createGrid(node, path, send) {
  node.classList.add('grid');
  const head = el('div', 'grid-head', node);
  const body = el('div', 'grid-body', node);
  const spacer = el('div', 'grid-spacer', body);
  const rows = el('div', 'grid-rows', body);
  const grid = { node, head, body, spacer, rows, path, send, state: null, pendingTop: null, scrollTimer: 0 };
  body.addEventListener('scroll', () => onScroll(grid));
  body.addEventListener('mousedown', (event) => onMouseDown(grid, event));
  return grid;
}

function onScroll(grid) {
  if (grid.ignoreScroll) {
    grid.ignoreScroll = false;
    return;
  }
  const top = Math.floor(grid.body.scrollTop / ROW_HEIGHT);
  grid.pendingTop = top;
  placeRows(grid, top);
  if (grid.scrollTimer) return;
  grid.scrollTimer = requestAnimationFrame(() => {
    grid.scrollTimer = 0;
    if (grid.pendingTop !== null && grid.state && grid.pendingTop !== grid.state.topRow) {
      grid.send({ type: 'scroll', target: grid.path, topRow: grid.pendingTop });
    }
  });
}

function placeRows(grid, topRow) {
  grid.rows.style.transform = `translateY(${topRow * ROW_HEIGHT}px)`;
}

function cellAt(grid, event) {
  const cell = event.target.closest('.grid-cell');
  if (!cell) return null;
  return { row: Number(cell.dataset.row), col: Number(cell.dataset.col), node: cell };
}

function onMouseDown(grid, event) {
  const state = grid.state;
  if (!state) return;
  const mark = event.target.closest('.grid-mark');
  if (mark) {
    event.preventDefault();
    grid.send({ type: 'mark', target: grid.path, row: Number(mark.dataset.row) });
    return;
  }
  if (event.target.closest('.grid-ellipsis')) {
    event.preventDefault();
    grid.send({ type: 'editbutton', target: grid.path });
    return;
  }
  const pick = event.target.closest('.grid-pick');
  if (pick) {
    event.preventDefault();
    const column = state.columns[state.col];
    openPopup(pick.parentElement, column.pickList.map((item) => ({
      label: item.replace(/&/g, '&&'),
      onChoose: () => grid.send({ type: 'pick', target: grid.path, item }),
    })), { className: 'pick-popup', selected: column.pickList.indexOf(state.editorText) });
    return;
  }
  const hit = cellAt(grid, event);
  if (hit) {
    event.preventDefault();
    grid.send({ type: 'cell', target: grid.path, row: hit.row, col: hit.col });
  }
}

export function updateGrid(grid, state, focused) {
  grid.state = state;
  const columns = state.columns || [];
  const marked = Array.isArray(state.marked) ? new Set(state.marked) : null;
  const indicator = Boolean(state.options && state.options.indicator);
  grid.node.classList.toggle('focused', focused);
  grid.node.classList.toggle('with-indicator', indicator);
  renderHead(grid, columns, marked !== null, indicator);

  // The scroller ends exactly where the last window of rows starts at the top.
  const lastTop = Math.max(0, (state.rowCount || 0) - (state.visibleRows || 0));
  const total = lastTop * ROW_HEIGHT + grid.body.clientHeight;
  if (grid.spacer.style.height !== `${total}px`) grid.spacer.style.height = `${total}px`;
  const topRow = state.topRow || 0;
  placeRows(grid, topRow);
  const wantedScroll = topRow * ROW_HEIGHT;
  const shownTop = Math.floor(grid.body.scrollTop / ROW_HEIGHT);
  if (shownTop !== topRow && grid.pendingTop !== topRow) {
    grid.ignoreScroll = true;
    grid.body.scrollTop = wantedScroll;
  }
  if (grid.pendingTop === topRow) grid.pendingTop = null;

  const rows = state.rows || [];
  while (grid.rows.children.length > rows.length) grid.rows.lastChild.remove();
  rows.forEach((cells, index) => {
    const absolute = topRow + index;
    let rowNode = grid.rows.children[index];
    if (!rowNode) rowNode = el('div', 'grid-row', grid.rows);
    rowNode.classList.toggle('current', absolute === state.row);
    renderRow(grid, rowNode, cells, absolute, columns, state, marked, focused, indicator);
  });
}

function renderHead(grid, columns, withMarks, indicator) {
  const key = JSON.stringify([columns.map((c) => [c.title, c.width, c.titleAlignment, c.alignment]), withMarks, indicator]);
  if (grid.head.dataset.key === key) return;
  grid.head.dataset.key = key;
  grid.head.replaceChildren();
  if (indicator) el('div', 'grid-title grid-indicator', grid.head);
  if (withMarks) el('div', 'grid-title grid-mark-title', grid.head);
  for (const column of columns) {
    const title = el('div', 'grid-title', grid.head);
    title.style.width = `${column.width || 64}px`;
    if (column.titleAlignment) title.style.textAlign = column.titleAlignment;
    setText(title, column.title);
  }
}

const INDICATORS = { browse: '▶', edit: '✎', insert: '✱' };

function renderRow(grid, rowNode, cells, absolute, columns, state, marked, focused, indicator) {
  const expected = columns.length + (marked ? 1 : 0) + (indicator ? 1 : 0);
  if (rowNode.children.length !== expected) {
    rowNode.replaceChildren();
    if (indicator) el('div', 'grid-indicator', rowNode);
    if (marked) el('div', 'grid-mark', rowNode);
    for (let c = 0; c < columns.length; c++) el('div', 'grid-cell', rowNode);
  }
  let offset = 0;
  if (indicator) {
    setText(rowNode.children[0], absolute === state.row ? INDICATORS[state.state] || '' : '');
    offset = 1;
  }
  if (marked) {
    const mark = rowNode.children[offset];
    mark.dataset.row = absolute;
    setText(mark, marked.has(absolute) ? '☑' : '☐');
    offset += 1;
  }
  columns.forEach((column, c) => {
    const cell = rowNode.children[c + offset];
    cell.dataset.row = absolute;
    cell.dataset.col = c;
    cell.style.width = `${column.width || 64}px`;
    cell.style.textAlign = column.alignment || '';
    const current = absolute === state.row && c === state.col;
    cell.classList.toggle('selected', current);
    const editing = current && state.editorMode;
    if (editing || (current && focused && (column.pickList?.length || column.button === 'ellipsis'))) {
      renderEditorCell(cell, editing ? state.editorText : cells[c], column, editing && focused);
    } else {
      if (cell.childElementCount) cell.replaceChildren();
      setText(cell, cells[c]);
    }
  });
}

function renderEditorCell(cell, text, column, caret) {
  cell.replaceChildren();
  const value = el('span', 'grid-editor', cell);
  value.textContent = text ?? '';
  if (caret) el('span', 'caret', value);
  if (column.pickList && column.pickList.length) {
    const button = el('span', 'grid-pick', cell);
    button.textContent = '▾';
  } else if (column.button === 'ellipsis') {
    const button = el('span', 'grid-ellipsis', cell);
    button.textContent = '…';
  }
}
