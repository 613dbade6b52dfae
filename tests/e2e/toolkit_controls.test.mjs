// The toolkit's controls in the browser, on the host's test forms: masked typing, grid
// editing with a pick list and an ellipsis button, and scrolling 100,000 rows.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { TEST_MODULE } from './support/system.mjs';
import { useSystemAndBrowser, openModuleMenu, click, control, press, screenshot, seq, shownText, type, waitIdle } from './support/browser.mjs';

let page;

useSystemAndBrowser({ appserver: false, module: TEST_MODULE }, async (s, p) => {
  page = p;
  await openModuleMenu(page);
});

async function gridState(path) {
  const rows = await control(page, path).locator('.grid-row').evaluateAll((nodes) =>
    nodes.map((row) => [...row.querySelectorAll('.grid-cell')].map((c) => (c.querySelector('.grid-editor') || c).innerText.trim())));
  return rows;
}

test('typing into a masked edit follows the mask and skips its literals', async () => {
  await click(page, 'frmTeste.btnMascara');
  await click(page, 'frmMascara.medCnpj');
  await type(page, '12345678000195');
  assert.equal(await shownText(page, 'frmMascara.medCnpj'), '12.345.678/0001-95');
  await click(page, 'frmMascara.medData');
  await type(page, '3112a2026');
  assert.equal(await shownText(page, 'frmMascara.medData'), '31/12/2026');
  await screenshot(page, 'toolkit-masked-edit');
});

test('a grid cell is edited in place, posted on Down, and the pick list and ellipsis work', async () => {
  await click(page, 'frmTeste.btnGrade');
  const grid = 'frmGrade.dbgGrade';
  // Third row, value column.
  const before = await seq(page);
  await control(page, grid).locator('.grid-cell[data-row="2"][data-col="3"]').dispatchEvent('mousedown');
  await waitIdle(page, before);
  await type(page, '12,5');
  await screenshot(page, 'toolkit-grid-editing');
  await press(page, 'ArrowDown');
  const rows = await gridState(grid);
  assert.equal(rows[2][3], '12,500');
  assert.match(await shownText(page, 'frmGrade.lblLog'), /AfterPost/);

  // Pick list of the determination column.
  const b2 = await seq(page);
  await control(page, grid).locator('.grid-cell[data-row="3"][data-col="2"]').dispatchEvent('mousedown');
  await waitIdle(page, b2);
  await control(page, grid).locator('.grid-pick').dispatchEvent('mousedown');
  const b3 = await seq(page);
  await page.locator('.pick-popup .popup-item', { hasText: 'Percentual' }).dispatchEvent('mousedown');
  await waitIdle(page, b3);
  await press(page, 'ArrowUp');
  assert.equal((await gridState(grid))[3][2], 'Percentual');

  // Ellipsis of the factor column asks, then fills the cell.
  const b4 = await seq(page);
  await control(page, grid).locator('.grid-cell[data-row="1"][data-col="1"]').dispatchEvent('mousedown');
  await waitIdle(page, b4);
  const b5 = await seq(page);
  await control(page, grid).locator('.grid-ellipsis').dispatchEvent('mousedown');
  await waitIdle(page, b5);
  await click(page, 'dlgMessage.btnYes');
  assert.equal((await gridState(grid))[1][1], 'ABC');
  await press(page, 'Escape');
  assert.notEqual((await gridState(grid))[1][1], 'ABC');
});

test('a grid of 100,000 rows scrolls to its end and shows the rows there', async () => {
  await click(page, 'frmTeste.btnGrade100k');
  const grid = 'frmGrade.dbgGrade';
  const body = control(page, grid).locator('.grid-body');
  const before = await seq(page);
  await body.evaluate((node) => { node.scrollTop = node.scrollHeight; });
  await waitIdle(page, before);
  const rows = await gridState(grid);
  assert.ok(rows.length > 5, 'visible rows are drawn');
  const orders = rows.map((r) => r[0]);
  assert.ok(orders.some((o) => Number(o) > 99000 || /99/.test(o)), `rows near the end: ${orders.slice(0, 3)}`);
  await screenshot(page, 'toolkit-grid-100k');
  const dom = await page.locator('.grid-row').count();
  assert.ok(dom < 100, 'only the visible rows are in the page');
});

test('the system animations are drawings of the page that play while active and stand still when stopped', async () => {
  const result = await page.evaluate(async () => {
    const { renderAnimation } = await import('/js/animation.js');
    const wait = (ms) => new Promise((r) => setTimeout(r, ms));
    const out = {};
    for (const [clip, mover] of [['findFile', '.magnifier'], ['copyFiles', '.flying']]) {
      const node = document.body.appendChild(document.createElement('div'));
      node.style.cssText = 'position:fixed;left:0;top:0;width:100px;height:80px';
      renderAnimation(node, clip, true);
      const svg = node.querySelector('svg');
      const moving = node.querySelector(mover);
      const first = getComputedStyle(moving).transform;
      await wait(350);
      const later = getComputedStyle(moving).transform;
      renderAnimation(node, clip, false);
      const stopped = moving.getAnimations().length;
      const box = svg.getBoundingClientRect();
      out[clip] = { width: box.width, height: box.height, text: node.textContent, moved: first !== later, stopped };
      node.remove();
    }
    return out;
  });
  for (const clip of ['findFile', 'copyFiles']) {
    const r = result[clip];
    assert.ok(r.width > 0 && r.height > 0, `${clip} has a size`);
    assert.equal(r.text, '', `${clip} is no text`);
    assert.ok(r.moved, `${clip} plays`);
    assert.equal(r.stopped, 0, `${clip} stands still once stopped`);
  }
});
