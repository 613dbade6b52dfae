// The data grid: column titles, the visible rows the host sends, and a virtual
// scroller whose height stands for every row, so 100,000 rows scroll like ten.
// The host owns the data; the grid only shows the window of rows starting at topRow
// and reports clicks, scrolling, pick-list choices, ellipsis clicks, title clicks and
// column widths dragged at a title's right border.
//
// Sideways the grid scrolls over the full width of its columns (titles and rows
// together), so the vertical scroll bar never hides the last column, and the selected
// cell is brought into view whenever it changes. The host counts the rows that fit
// above the horizontal scroll bar (visibleRows), so the current row is never under it.
import { droppedByKey, el, setText, textWithSelection } from './dom.js';
import { openPopup } from './popup.js';

export const ROW_HEIGHT = 18;
const INDICATOR_WIDTH = 14;
const MARK_WIDTH = 22;
const MIN_COLUMN_WIDTH = 8;
const DEFAULT_COLUMN_WIDTH = 64;

export function createGrid(node, path, send) {
  node.classList.add('grid');
  const head = el('div', 'grid-head', node);
  const body = el('div', 'grid-body', node);
  const spacer = el('div', 'grid-spacer', body);
  const rows = el('div', 'grid-rows', body);
  const grid = { node, head, body, spacer, rows, path, send, state: null, pendingTop: null, scrollTimer: 0, shown: '' };
  body.addEventListener('scroll', () => onScroll(grid));
  body.addEventListener('mousedown', (event) => onMouseDown(grid, event));
  head.addEventListener('mousedown', (event) => onTitleMouseDown(grid, event));
  return grid;
}

// The width the host fitted the column to (its own width from hosts that do not fit).
function columnWidth(column) {
  return column.shownWidth || column.width || DEFAULT_COLUMN_WIDTH;
}

// Width of what lies before the data columns: the indicator and the marks.
function leadWidth(state) {
  const indicator = state.options && state.options.indicator ? INDICATOR_WIDTH : 0;
  return indicator + (Array.isArray(state.marked) ? MARK_WIDTH : 0);
}

function onScroll(grid) {
  grid.head.scrollLeft = grid.body.scrollLeft;
  if (grid.ignoreScroll) {
    grid.ignoreScroll = false;
    return;
  }
  const top = Math.floor(grid.body.scrollTop / ROW_HEIGHT);
  if (grid.state && top === grid.state.topRow && grid.pendingTop === null) return;
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

// The current column's pick list, under its cell.
function openPickList(grid, cell) {
  const state = grid.state;
  const column = state.columns[state.col];
  if (!cell || !column || !column.pickList?.length) return;
  const current = state.editorMode ? state.editorText : (state.rows[state.row - state.topRow] || [])[state.col];
  openPopup(cell, column.pickList.map((item) => ({
    label: item.replace(/&/g, '&&'),
    onChoose: () => grid.send({ type: 'pick', target: grid.path, item }),
  })), { className: 'pick-popup', selected: column.pickList.indexOf(current) });
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
    openPickList(grid, pick.parentElement);
    return;
  }
  const hit = cellAt(grid, event);
  if (hit) {
    event.preventDefault();
    grid.send({ type: 'cell', target: grid.path, row: hit.row, col: hit.col });
  }
}

// A click on a title reports it; a drag at its right border sizes the column, shown at
// once and reported when the mouse is let go.
function onTitleMouseDown(grid, event) {
  const state = grid.state;
  const title = event.target.closest('.grid-title[data-col]');
  if (!state || !title || event.button !== 0) return;
  event.preventDefault();
  const col = Number(title.dataset.col);
  if (!event.target.closest('.column-sizer')) {
    grid.send({ type: 'title', target: grid.path, col });
    return;
  }
  const startX = event.clientX;
  const startWidth = columnWidth(state.columns[col]);
  let width = startWidth;
  const move = (e) => {
    width = Math.max(MIN_COLUMN_WIDTH, startWidth + e.clientX - startX);
    title.style.width = `${width}px`;
    for (const cell of grid.rows.querySelectorAll(`.grid-cell[data-col="${col}"]`)) cell.style.width = `${width}px`;
  };
  const up = () => {
    document.removeEventListener('mousemove', move);
    document.removeEventListener('mouseup', up);
    if (width !== startWidth) grid.send({ type: 'columnWidth', target: grid.path, col, width });
  };
  document.addEventListener('mousemove', move);
  document.addEventListener('mouseup', up);
}

export function updateGrid(grid, state, focused) {
  grid.state = state;
  const columns = state.columns || [];
  const marked = Array.isArray(state.marked) ? new Set(state.marked) : null;
  const options = state.options || {};
  const indicator = Boolean(options.indicator);
  grid.node.classList.toggle('focused', focused);
  grid.node.classList.toggle('with-indicator', indicator);
  grid.node.classList.toggle('row-select', Boolean(options.rowSelect));
  renderHead(grid, columns, marked !== null, indicator, Boolean(options.columnResize));
  markSearchColumn(grid, options.rowSelect ? state.col : -1);

  // The scroller is as wide as the columns and ends exactly where the last window of
  // rows starts at the top.
  const dataWidth = leadWidth(state) + columns.reduce((sum, c) => sum + columnWidth(c), 0);
  if (grid.spacer.style.width !== `${dataWidth}px`) grid.spacer.style.width = `${dataWidth}px`;
  const lastTop = Math.max(0, (state.rowCount || 0) - (state.visibleRows || 0));
  const total = lastTop * ROW_HEIGHT + grid.body.clientHeight;
  if (grid.spacer.style.height !== `${total}px`) grid.spacer.style.height = `${total}px`;
  const topRow = state.topRow || 0;
  placeRows(grid, topRow);
  const shownTop = Math.floor(grid.body.scrollTop / ROW_HEIGHT);
  if (shownTop !== topRow && grid.pendingTop !== topRow) {
    grid.ignoreScroll = true;
    grid.body.scrollTop = topRow * ROW_HEIGHT;
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
  showSelectedColumn(grid, state, columns);
  grid.head.scrollLeft = grid.body.scrollLeft;
  if (droppedByKey(grid.node, state)) openPickList(grid, grid.rows.querySelector('.grid-cell.selected'));
}

// Scrolls sideways so the selected column is in view, whenever the selection moves.
function showSelectedColumn(grid, state, columns) {
  const shown = `${state.row}:${state.col}:${state.editorMode}:${columns.length}`;
  if (shown === grid.shown || !columns[state.col]) return;
  grid.shown = shown;
  let left = leadWidth(state);
  for (let c = 0; c < state.col; c++) left += columnWidth(columns[c]);
  const right = left + columnWidth(columns[state.col]);
  const body = grid.body;
  if (right > body.scrollLeft + body.clientWidth) body.scrollLeft = right - body.clientWidth;
  if (left < body.scrollLeft) body.scrollLeft = state.col === 0 ? 0 : left;
}

function renderHead(grid, columns, withMarks, indicator, resizable) {
  const key = JSON.stringify([columns.map((c) => [c.title, columnWidth(c), c.titleAlignment, c.alignment]), withMarks, indicator, resizable]);
  if (grid.head.dataset.key === key) return;
  grid.head.dataset.key = key;
  grid.head.replaceChildren();
  if (indicator) el('div', 'grid-title grid-indicator', grid.head);
  if (withMarks) el('div', 'grid-title grid-mark-title', grid.head);
  columns.forEach((column, col) => {
    const title = el('div', 'grid-title', grid.head);
    title.dataset.col = String(col);
    title.style.width = `${columnWidth(column)}px`;
    if (column.titleAlignment) title.style.textAlign = column.titleAlignment;
    title.append(column.title ?? '');
    if (resizable) el('span', 'column-sizer', title);
  });
  // Room for the vertical scroll bar, so the titles can follow the rows to their end.
  el('div', 'grid-title grid-filler', grid.head).style.width = 'var(--scrollbar)';
}

// A search list searches the selected column: its title says so.
function markSearchColumn(grid, col) {
  for (const title of grid.head.querySelectorAll('.grid-title[data-col]')) {
    title.classList.toggle('search-column', Number(title.dataset.col) === col);
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
    cell.style.width = `${columnWidth(column)}px`;
    cell.style.textAlign = column.alignment || '';
    const current = absolute === state.row && c === state.col;
    cell.classList.toggle('selected', current);
    const editing = current && state.editorMode;
    if (editing || (current && focused && (column.pickList?.length || column.button === 'ellipsis'))) {
      renderEditorCell(cell, editing ? state.editorText : cells[c], column, editing && focused, state);
    } else {
      if (cell.childElementCount) cell.replaceChildren();
      setText(cell, cells[c]);
    }
  });
}

// The cell editor draws its caret and selection where the host has them, so after F2 a
// person sees the selected text that typing will replace.
function renderEditorCell(cell, text, column, caret, state) {
  cell.replaceChildren();
  const value = el('span', 'grid-editor', cell);
  if (caret) textWithSelection(value, text ?? '', state.editorSelStart, state.editorSelLength);
  else value.textContent = text ?? '';
  if (column.pickList && column.pickList.length) {
    const button = el('span', 'grid-pick', cell);
    button.textContent = '▾';
  } else if (column.button === 'ellipsis') {
    const button = el('span', 'grid-ellipsis', cell);
    button.textContent = '…';
  }
}
