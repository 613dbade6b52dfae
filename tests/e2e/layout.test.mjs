// How the screens share their room at 1366 x 768, measured on the page: the price grid
// fits its columns without scrolling sideways and widens them when maximised, preview
// grids show whole texts and no empty column, the copy screen names its product range
// and keeps every control inside its window, and the report screen's groups keep clear
// of its report list. Each screenshot is named after the rule it shows.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { customerOf } from './support/database.mjs';
import {
  useSystemAndBrowser, answered, box, click, control, openModuleMenu, press, screenshot, type, visibleArea,
} from './support/browser.mjs';

const PRICES = 'frmTabPreClie';
const GRID = `${PRICES}.dbgPadrao`;
const PREVIEW_GRID = 'frmPrevia.dbgPrevia';

let page;

useSystemAndBrowser({ demoArgs: ['--customers', '50'] }, async (system, p) => {
  page = p;
  await page.setViewportSize({ width: 1366, height: 768 });
  await openModuleMenu(page);
  const who = customerOf(system.db, '000001');
  await click(page, `${PRICES}.medCdClie`);
  await type(page, who.formatted);
  await press(page, 'Tab');
});

// Per column of a grid: its title and the cells shown, each with its width, the width
// its text needs and its text.
function gridColumns(path) {
  return control(page, path).evaluate((grid) => {
    // A title's text against the room its padding leaves (its sizing grip overhangs it,
    // so its scrollWidth says nothing); a cell's by its scrollWidth.
    const textCut = (node) => {
      const range = document.createRange();
      const texts = [...node.childNodes].filter((child) => child.nodeType === Node.TEXT_NODE);
      if (!texts.length) return false;
      range.setStartBefore(texts[0]);
      range.setEndAfter(texts.at(-1));
      const style = getComputedStyle(node);
      return range.getBoundingClientRect().width > node.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight);
    };
    const measure = (node) => ({
      text: node.textContent.trim(), width: node.getBoundingClientRect().width, right: node.getBoundingClientRect().right,
      cut: node.classList.contains('grid-title') ? textCut(node) : node.scrollWidth > node.clientWidth,
      overflow: getComputedStyle(node).textOverflow,
    });
    return [...grid.querySelectorAll('.grid-title[data-col]')].map((title) => ({
      title: measure(title),
      cells: [...grid.querySelectorAll(`.grid-cell[data-col="${title.dataset.col}"]`)].map(measure),
    }));
  });
}

// Closes what an earlier failing test left open over the price table.
async function backToPriceTable() {
  for (let i = 0; i < 4 && (await page.locator('.window.modal').count()) > 0; i++) await press(page, 'Escape');
}

function windowOf(name) {
  return page.locator(`.window[data-name="${name}"]`);
}

// The top of what a group box draws: its frame or its caption, whichever is higher.
function drawnTop(path) {
  return control(page, path).evaluate((group) => {
    const top = group.getBoundingClientRect().top;
    const frame = top + parseFloat(getComputedStyle(group, '::before').top || '0');
    const legend = group.querySelector(':scope > .legend');
    const caption = legend && !legend.hidden ? legend.getBoundingClientRect().top : Infinity;
    return Math.min(Number.isNaN(frame) ? top : frame, caption);
  });
}

test('the price grid fits its five columns at the default size and widens every one when maximised', async () => {
  if (!(await control(page, GRID).evaluate((node) => node.classList.contains('focused')))) await click(page, GRID);
  const body = control(page, GRID).locator('.grid-body');
  await screenshot(page, 'layout-01-price-grid-default-size');
  const normal = await gridColumns(GRID);
  const normalArea = await visibleArea(body);
  const win = windowOf(PRICES);
  await answered(page, () => win.locator('.title-button[data-button="maximize"]').dispatchEvent('mousedown'));
  await screenshot(page, 'layout-01-price-grid-maximised');
  const maximised = await gridColumns(GRID);
  const area = await visibleArea(body);
  await answered(page, () => win.locator('.title-button[data-button="restore"]').dispatchEvent('mousedown'));

  assert.equal(normal.length, 5);
  assert.equal(await body.evaluate((node) => getComputedStyle(node).overflowX), 'auto');
  assert.equal(normalArea.sideways, false, 'no horizontal scroll bar at the default size');
  for (const column of normal) {
    assert.equal(column.title.cut, false, `title "${column.title.text}" whole`);
    for (const cell of column.cells) assert.equal(cell.cut, false, `"${cell.text}" whole in "${column.title.text}"`);
  }
  normal.forEach((column, c) => {
    assert.ok(maximised[c].title.width > column.title.width,
      `"${column.title.text}" widened (${column.title.width} -> ${maximised[c].title.width})`);
  });
  assert.equal(area.sideways, false);
  assert.ok(maximised.at(-1).title.right >= area.right - 2, 'the columns share the whole width');
});

test('a preview grid shows whole names and changes, and no column stays empty', async () => {
  await backToPriceTable();
  await click(page, `${PRICES}.sbtCopiaDados`);
  await click(page, 'frmCopiaDados.sbtPrevia');
  await screenshot(page, 'layout-02-copy-preview');
  const columns = await gridColumns(PREVIEW_GRID);
  const area = await visibleArea(control(page, PREVIEW_GRID).locator('.grid-body'));
  assert.equal(area.sideways, false, 'every column in view');
  const titled = (title) => columns.find((c) => c.title.text === title);
  for (const title of ['Nome', 'Cliente', 'Variação %']) {
    const column = titled(title);
    assert.ok(column, `column "${title}" shown`);
    assert.equal(column.title.cut, false, `title "${title}" whole`);
    assert.equal(column.title.overflow, 'ellipsis', 'cells would show a cut with an ellipsis');
    assert.ok(column.title.right <= area.right, `"${title}" inside the grid`);
    for (const cell of column.cells) assert.equal(cell.cut, false, `"${cell.text}" whole in "${title}"`);
  }
  for (const column of columns) {
    assert.ok(column.cells.some((cell) => cell.text !== ''), `column "${column.title.text}" has a value`);
  }
  await press(page, 'Escape');
  await press(page, 'Escape');
});

test('the copy screen names its product range edits and keeps every control inside its window', async () => {
  await backToPriceTable();
  await click(page, `${PRICES}.sbtCopiaDados`);
  await screenshot(page, 'layout-03-copy-screen');
  for (const [label, edit, caption] of [['lblProdIni', 'medProdIni', 'Inicial'], ['lblProdFin', 'medProdFin', 'Final']]) {
    const path = `frmCopiaDados.${label}`;
    assert.equal(await control(page, path).count(), 1, `${label} present`);
    assert.equal((await control(page, path).innerText()).trim(), caption);
    const [shown, field] = await Promise.all([box(control(page, path)), box(control(page, `frmCopiaDados.${edit}`))]);
    assert.ok(shown.right <= field.left, `${label} left of ${edit}`);
    const middle = (shown.top + shown.bottom) / 2;
    assert.ok(middle > field.top && middle < field.bottom, `${label} on the row of ${edit}`);
  }
  const outside = await windowOf('frmCopiaDados').evaluate((win) => {
    const client = win.querySelector('.client').getBoundingClientRect();
    return [...win.querySelectorAll('.client .ctl')]
      .filter((node) => node.offsetParent !== null)
      .map((node) => [node.dataset.path, node.getBoundingClientRect()])
      .filter(([, r]) => r.left < client.left || r.top < client.top || r.right > client.right || r.bottom > client.bottom)
      .map(([path, r]) => `${path} [${r.left}, ${r.top}, ${r.right}, ${r.bottom}]`);
  });
  assert.deepEqual(outside, [], 'every control inside the client area');
  await press(page, 'Escape');
});

test('the report screen\'s group boxes keep clear of its report list', async () => {
  await backToPriceTable();
  await click(page, `${PRICES}.sbtImprimir`);
  await screenshot(page, 'layout-04-report-screen');
  const list = await box(control(page, 'frmRelTabPreClie.cbbReportNames'));
  for (const group of ['grbClieDest', 'GroupBox2']) {
    const top = await drawnTop(`frmRelTabPreClie.${group}`);
    assert.ok(top >= list.bottom, `${group} drawn from ${top}, below the list ending at ${list.bottom}`);
  }
  await press(page, 'Escape');
});
