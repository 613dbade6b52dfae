// The customer price table in the browser, its main path: open it from the menu, find
// a customer by its registration number, change a price, delete another, then close
// and open the screen again and see what the server stored. And what a person sees and
// reaches with the keyboard there, measured on the page: command state, message boxes,
// the grid's columns and rows, the window's size, the keypad, the search list.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { formattedRegistration, sqlRows } from './support/database.mjs';
import {
  useSystemAndBrowser,
  clickGridCell, drag,
  openModuleMenu, answered, box, click, control, press, pressKeypad, screenshot, seq, shownText, type, visibleArea, waitIdle,
} from './support/browser.mjs';

const GRID = 'frmTabPreClie.dbgPadrao';
const PRICE = 2;

let system;
let page;

function sql(query) {
  return sqlRows(system.db, query);
}

// A customer with at least two special prices, and those products' rows in the grid
// (the grid lists the leaf products by code).
function customerWithPrices() {
  const [[code, number, name, kind]] = sql(`
    SELECT c.CDCLIENTE, c.NRINSJURCLIE, c.NMRAZSOCCLIE, c.IDTPIJURCLIE FROM CLIENTE c
    WHERE (SELECT COUNT(*) FROM TABPRECLIE t WHERE t.CDCLIENTE = c.CDCLIENTE) >= 2
    ORDER BY c.CDCLIENTE LIMIT 1`);
  const rows = sql(`
    SELECT p.CDPRODUTO, t.CDPRODUTO IS NOT NULL FROM PRODUTO p
    LEFT JOIN TABPRECLIE t ON t.CDPRODUTO = p.CDPRODUTO AND t.CDCLIENTE = '${code}'
    WHERE p.NRNIVEL = 3 ORDER BY p.CDARVPROD`);
  const priced = rows.map((r, i) => (r[1] === '1' ? i : -1)).filter((i) => i >= 0);
  const formatted = formattedRegistration(number, kind);
  return { code, number, formatted, name, products: rows.map((r) => r[0]), priced };
}

function storedPrice(customer, product) {
  const rows = sql(`SELECT VRPRECOPROD FROM TABPRECLIE WHERE CDCLIENTE = '${customer}' AND CDPRODUTO = '${product}'`);
  return rows.length ? Number(rows[0][0]) : null;
}

async function openScreen() {
  await openModuleMenu(page);
  assert.equal(await page.locator('.window[data-name="frmTabPreClie"]').count(), 1);
}

async function chooseCustomer(customer) {
  await click(page, 'frmTabPreClie.medCdClie');
  await type(page, customer.formatted);
  await press(page, 'Tab');
  assert.equal(await shownText(page, 'frmTabPreClie.edtNmClie'), customer.name);
}

function clickCell(row, col) {
  return clickGridCell(page, GRID, row, col);
}

async function cellText(row, col) {
  const cell = control(page, GRID).locator(`.grid-cell[data-row="${row}"][data-col="${col}"]`);
  return (await cell.innerText()).trim();
}

useSystemAndBrowser({ demoArgs: ['--customers', '500'] }, (s, p) => {
  system = s;
  page = p;
});

test('a customer is found, a price changed and another deleted, and the server keeps both', async () => {
  const customer = customerWithPrices();
  const [changed, deleted] = customer.priced;
  await openScreen();
  await screenshot(page, 'price-table-opened');

  await chooseCustomer(customer);
  assert.equal(await shownText(page, 'frmTabPreClie.medCdClie'), customer.formatted);
  await screenshot(page, 'price-table-customer');

  await clickCell(changed, PRICE);
  await type(page, '12,34');
  await press(page, 'Enter');
  await press(page, 'ArrowDown');
  assert.equal(await cellText(changed, PRICE), '12,340');
  assert.equal(storedPrice(customer.code, customer.products[changed]), 12.34);
  // The status bar says where the price went and that it was stored.
  assert.match(await statusPanel(0), /^Servidor: 127\.0\.0\.1:\d+$/);
  assert.equal(await statusPanel(1), 'Conectado');
  assert.match(await statusPanel(2), /^Gravado às \d\d:\d\d:\d\d$/);
  await screenshot(page, 'price-table-changed');

  await clickCell(deleted, PRICE);
  await click(page, 'frmTabPreClie.sbtExcluir');
  const box = page.locator('.window[data-name="dlgMessage"]');
  assert.match(await box.locator('.message-text').innerText(), /Confirma exclusão\?/);
  await screenshot(page, 'price-table-delete-question');
  await click(page, 'dlgMessage.btnYes');
  assert.equal(await cellText(deleted, PRICE), '');
  assert.equal(storedPrice(customer.code, customer.products[deleted]), null);

  const before = await seq(page);
  await page.locator('.window[data-name="frmTabPreClie"] .close-box').dispatchEvent('mousedown');
  await waitIdle(page, before);
  assert.equal(await page.locator('.window[data-name="frmTabPreClie"]').count(), 0);

  await openScreen();
  await chooseCustomer(customer);
  await clickCell(changed, PRICE);
  assert.equal(await cellText(changed, PRICE), '12,340');
  await clickCell(deleted, PRICE);
  assert.equal(await cellText(deleted, PRICE), '');
  await screenshot(page, 'price-table-reopened');
});

test('a wrong number is answered with a message and the customer can be typed again', async () => {
  await click(page, 'frmTabPreClie.medCdClie');
  await type(page, '11222333000181');
  await press(page, 'Tab');
  const box = page.locator('.window[data-name="dlgMessage"]');
  assert.match(await box.locator('.message-text').innerText(), /Cliente não cadastrado\./);
  await assertDrawnIcon(box.locator('.message-icon.error'));
  await screenshot(page, 'price-table-unknown-customer');
  await press(page, 'Enter');
  assert.equal(await page.locator('.window[data-name="dlgMessage"]').count(), 0);
  assert.ok(await control(page, 'frmTabPreClie.medCdClie').evaluate((n) => n.classList.contains('focused')));
});

async function statusPanel(index) {
  return (await page.locator(`.kind-statusbar .status-panel[data-panel="${index}"]`).innerText()).trim();
}

// A message box icon is a drawing with a size of its own, never a character of a font.
async function assertDrawnIcon(icon) {
  const drawn = await icon.evaluate((node) => {
    const svg = node.querySelector('svg');
    const r = svg ? svg.getBoundingClientRect() : { width: 0, height: 0 };
    return { width: r.width, height: r.height, text: node.textContent, shapes: svg ? svg.children.length : 0 };
  });
  assert.ok(drawn.width > 0 && drawn.height > 0, `icon box ${drawn.width}x${drawn.height}`);
  assert.equal(drawn.text, '');
  assert.ok(drawn.shapes > 0);
}

async function gridWithPrices() {
  const customer = customerWithPrices();
  if (!(await page.locator('.window[data-name="frmTabPreClie"]').count())) await openScreen();
  await chooseCustomer(customer);
  await clickCell(0, 0);
  return customer;
}

const TOOLBAR = 'frmTabPreClie.sbt';
const style = (path) => control(page, path).evaluate((node) => {
  const s = getComputedStyle(node);
  return { color: s.color, opacity: s.opacity, filter: s.filter };
});

test('disabled commands look disabled, pressed buttons sink and every hint shows as a tooltip', async () => {
  await gridWithPrices();
  const enabled = await style(`${TOOLBAR}Alterar`);
  const disabled = await style(`${TOOLBAR}Confirmar`);
  assert.ok(await control(page, `${TOOLBAR}Confirmar`).evaluate((n) => n.classList.contains('disabled')));
  assert.notDeepEqual(disabled, enabled, 'a disabled toolbar button is drawn unlike an enabled one');
  assert.notEqual(disabled.color, enabled.color);
  assert.notDeepEqual(await style('frmTabPreClie.edtNmClie'), await style('frmTabPreClie.medCdClie'));

  await page.hover(`[data-path="${TOOLBAR}Alterar"]`);
  await page.waitForSelector('.tooltip:not([hidden])');
  assert.equal(await page.locator('.tooltip').innerText(), 'Alterar');
  await page.hover('[data-path="frmTabPreClie.dbnPadrao"] .nav-button[data-button="next"]');
  await page.waitForFunction(() => document.querySelector('.tooltip:not([hidden])')?.textContent === 'Próximo');
  await screenshot(page, 'price-table-tooltip');

  // A flat button raises under the mouse and sinks while pressed (refresh stays enabled).
  const refresh = page.locator(`[data-path="${TOOLBAR}Verificar"]`);
  const border = () => refresh.evaluate((n) => getComputedStyle(n).borderTopColor);
  const flat = await border();
  await refresh.hover();
  const raised = await border();
  await answered(page, () => page.mouse.down());  // the command runs as the button goes down
  const sunk = await border();
  await page.mouse.up();
  assert.notEqual(raised, flat, 'a flat button raises under the mouse');
  assert.notEqual(sunk, raised, 'a pressed button sinks');
});

test('a question box draws its icon, rings the focused button and answers Tab, letters and Escape', async () => {
  const customer = await gridWithPrices();
  await clickCell(customer.priced[0], PRICE);
  await click(page, `${TOOLBAR}Excluir`);
  const question = page.locator('.window[data-name="dlgMessage"]');
  await assertDrawnIcon(question.locator('.message-icon.confirmation'));
  const yes = question.locator('[data-name="btnYes"]');
  const no = question.locator('[data-name="btnNo"]');
  const ring = (button) => button.evaluate((n) => n.classList.contains('focused') && getComputedStyle(n).boxShadow !== 'none');
  assert.ok(await ring(yes));
  await press(page, 'Tab');
  assert.ok(await ring(no));
  assert.ok(!(await ring(yes)));
  await screenshot(page, 'price-table-question-focus');
  await press(page, 'Shift+Tab');
  assert.ok(await ring(yes));
  await press(page, 'n');  // the underlined letter of "Não"
  assert.equal(await question.count(), 0);
  assert.notEqual(storedPrice(customer.code, customer.products[customer.priced[0]]), null);
  await click(page, `${TOOLBAR}Excluir`);
  await press(page, 'Escape');
  assert.equal(await question.count(), 0);
  assert.notEqual(storedPrice(customer.code, customer.products[customer.priced[0]]), null);
});

test('the grid keeps the last column and the current row clear of its scroll bars', async () => {
  await gridWithPrices();
  const body = control(page, GRID).locator('.grid-body');
  // The columns fit the grid until a person drags one wider than the room left.
  const nameGrip = await box(control(page, GRID).locator('.grid-title[data-col="1"] .column-sizer'));
  await drag(page, nameGrip.left + 2, nameGrip.top + 5, 400, 0, 4);
  await clickCell(0, 4);
  let area = await visibleArea(body);
  assert.ok(area.sideways, 'the columns are wider than the grid, so it scrolls sideways');
  assert.ok(area.verticalBar > 0 && area.horizontalBar > 0, 'both scroll bars show');
  const last = await box(control(page, GRID).locator('.grid-cell.selected'));
  assert.ok(last.right <= area.right + 0.5, `"Valid. Final" ends at ${last.right}, the scroll bar starts at ${area.right}`);
  assert.ok(last.left >= area.left - 0.5);
  const title = await box(control(page, GRID).locator('.grid-title[data-col="4"]'));
  assert.ok(Math.abs(title.left - last.left) < 1, 'its title scrolled with it');

  await clickCell(0, PRICE);
  const rows = await control(page, GRID).locator('.grid-row').count();
  for (let i = 0; i < rows - 1; i++) await press(page, 'ArrowDown');
  area = await visibleArea(body);
  const current = await box(control(page, GRID).locator('.grid-row.current'));
  assert.ok(current.bottom <= area.bottom + 0.5, `row ends at ${current.bottom}, the scroll bar starts at ${area.bottom}`);
  await press(page, 'ArrowDown');  // one more scrolls, and the row is still clear
  const next = await box(control(page, GRID).locator('.grid-row.current'));
  assert.ok(next.bottom <= (await visibleArea(body)).bottom + 0.5);
  await screenshot(page, 'price-table-last-row');

  // After F2 the editor shows the selected text that typing will replace.
  await clickCell(0, 0);
  await clickCell(customerWithPrices().priced[0], PRICE);
  await press(page, 'F2');
  assert.match(await control(page, GRID).locator('.grid-editor .selection').innerText(), /\d+,\d{3}/);
  await press(page, 'Escape');

  // A column's width is dragged at its title's border.
  const sizer = control(page, GRID).locator('.grid-title[data-col="1"] .column-sizer');
  const before = await box(control(page, GRID).locator('.grid-title[data-col="1"]'));
  const grip = await box(sizer);
  await drag(page, grip.left + 2, grip.top + 5, -60, 0, 4);
  const after = await box(control(page, GRID).locator('.grid-title[data-col="1"]'));
  assert.ok(Math.abs(after.width - (before.width - 60)) <= 1, `${before.width} -> ${after.width}`);
  const cell = await box(control(page, GRID).locator('.grid-cell[data-col="1"]').first());
  assert.equal(Math.round(cell.width), Math.round(after.width));
});

test('the price table maximises to show more rows, restores, and follows the mouse at its border and title', async () => {
  await gridWithPrices();
  const win = page.locator('.window[data-name="frmTabPreClie"]');
  const normal = await box(win);
  const rowsBefore = await control(page, GRID).locator('.grid-row').count();
  await answered(page, () => win.locator('.title-button[data-button="maximize"]').dispatchEvent('mousedown'));
  const desktop = await box(page.locator('.desktop'));
  const maximised = await box(win);
  assert.ok(Math.abs(maximised.width - desktop.width) < 1 && Math.abs(maximised.height - desktop.height) < 1);
  const rowsAfter = await control(page, GRID).locator('.grid-row').count();
  assert.ok(rowsAfter > rowsBefore + 10, `${rowsBefore} rows, then ${rowsAfter}`);
  const area = await visibleArea(control(page, GRID).locator('.grid-body'));
  const lastRow = await box(control(page, GRID).locator('.grid-row').last());
  assert.ok(lastRow.bottom <= area.bottom + 0.5, 'every row shown fits');
  await screenshot(page, 'price-table-maximised');
  await answered(page, () => win.locator('.titlebar').dblclick());
  const restored = await box(win);
  assert.equal(Math.round(restored.width), Math.round(normal.width));
  assert.equal(Math.round(restored.height), Math.round(normal.height));

  // Dragged by its corner it grows, and so does its grid; by its title it moves.
  const corner = await box(win.locator('.resize-grip.se'));
  await drag(page, corner.left + 5, corner.top + 5, 100, 90, 5);
  const grown = await box(win);
  assert.equal(Math.round(grown.width - normal.width), 100);
  assert.equal(Math.round(grown.height - normal.height), 90);
  assert.ok(await control(page, GRID).locator('.grid-row').count() > rowsBefore, 'the grid follows the window');
  const title = await box(win.locator('.title-caption'));
  await drag(page, title.left + 20, title.top + 5, 30, 20, 3);
  const moved = await box(win);
  assert.equal(Math.round(moved.left - grown.left), 30);
  assert.equal(Math.round(moved.top - grown.top), 20);
});

test('a price typed on the keypad alone takes its decimal key as the comma and is stored', async () => {
  const customer = await gridWithPrices();
  const row = customer.products.findIndex((_, i) => !customer.priced.includes(i));
  await clickCell(row, PRICE);
  for (const key of ['3', '.', '5', '0']) await pressKeypad(page, key);
  assert.equal(await control(page, GRID).locator('.grid-editor').innerText(), '3,50');
  await press(page, 'Period');  // the main keyboard's "." stays refused
  assert.equal(await control(page, GRID).locator('.grid-editor').innerText(), '3,50');
  await pressKeypad(page, 'Enter');
  await press(page, 'ArrowDown');
  assert.equal(await cellText(row, PRICE), '3,500');
  assert.equal(storedPrice(customer.code, customer.products[row]), 3.5);
});

test('Ctrl+Tab leaves the grid, Alt+letter opens the frame menu, Alt+Down opens the search', async () => {
  await gridWithPrices();
  await press(page, 'Tab');  // Tab stays in the grid, moving to the next column
  assert.ok(await control(page, GRID).evaluate((n) => n.classList.contains('focused')));
  await press(page, 'Control+Tab');
  assert.ok(!(await control(page, GRID).evaluate((n) => n.classList.contains('focused'))));
  assert.ok(await control(page, 'frmTabPreClie.medCdClie').evaluate((n) => n.classList.contains('focused')));

  await press(page, 'Alt+c');
  const menu = page.locator('.host-menu');
  // Alt and the letter reach the host as two updates; the idle wait may end between them.
  await menu.waitFor({ state: 'attached', timeout: 5000 });
  assert.equal(await menu.count(), 1);
  assert.match(await menu.innerText(), /Tabela de Preço por Cliente/);
  await page.waitForTimeout(200);
  assert.equal(await menu.count(), 1, 'the menu stays open');
  await screenshot(page, 'price-table-frame-menu');
  await press(page, 'Escape');
  assert.equal(await menu.count(), 0);

  await press(page, 'Alt+ArrowDown');
  assert.equal(await page.locator('.window[data-name="dlgPesquisa"]').count(), 1);
  await press(page, 'Escape');
  assert.equal(await page.locator('.window[data-name="dlgPesquisa"]').count(), 0);
});

test('the customer search list keeps OK and Cancelar inside, searches the clicked column and reaches every column', async () => {
  assert.equal(Number(sql('SELECT COUNT(*) FROM CLIENTE')[0][0]), 500);
  sql("INSERT INTO CLIENTE (CDCLIENTE, NRINSJURCLIE, NMRAZSOCCLIE, IDTPIJURCLIE) VALUES ('ZZ1', '98765432100', 'armazém do zé', 'F'), ('ZZ2', '98765432101', 'Açougue Zebu', 'F')");
  await click(page, 'frmTabPreClie.medCdClie');
  await click(page, 'frmTabPreClie.btpCliente');
  const dialog = page.locator('.window[data-name="dlgPesquisa"]');
  const frame = await box(dialog);
  for (const button of ['btnOK', 'btnCancel']) {
    const b = await box(control(page, `dlgPesquisa.${button}`));
    assert.ok(b.width > 0 && b.left >= frame.left && b.right <= frame.right && b.top >= frame.top && b.bottom <= frame.bottom,
      `${button} lies inside the dialog`);
  }
  assert.equal(await shownText(page, 'dlgPesquisa.lblPesquisa'), 'Pesquisar por Inscrição:');
  assert.ok(await control(page, 'dlgPesquisa.edtPesquisa').isVisible());

  const list = 'dlgPesquisa.dbgPesquisa';
  await answered(page, () => control(page, list).locator('.grid-title[data-col="1"]').dispatchEvent('mousedown'));
  assert.equal(await shownText(page, 'dlgPesquisa.lblPesquisa'), 'Pesquisar por Razão Social:');
  assert.ok(await control(page, list).locator('.grid-title[data-col="1"]').evaluate((n) => n.classList.contains('search-column')));
  await type(page, 'acougue z');
  assert.equal(await shownText(page, 'dlgPesquisa.edtPesquisa'), 'acougue z');
  const chosen = control(page, list).locator('.grid-row.current .grid-cell[data-col="1"]');
  assert.equal((await chosen.innerText()).trim(), 'Açougue Zebu');
  await screenshot(page, 'price-table-search-list');

  // Names come with case and accents folded: every "Açougue" before any "Armazém".
  const names = sql('SELECT NMRAZSOCCLIE FROM CLIENTE').map((r) => r[0]);
  const fold = (t) => t.normalize('NFD').replace(/[\u0300-\u036f]/g, '').toLowerCase();
  const shown = await control(page, list).locator('.grid-row .grid-cell[data-col="1"]').allInnerTexts();
  const folded = shown.map((t) => fold(t.trim()));
  assert.deepEqual(folded, [...folded].sort((a, b) => (a < b ? -1 : a > b ? 1 : 0)), 'the rows shown are in folded order');
  assert.ok(names.some((n) => n.startsWith('Armaz')) || names.includes('armazém do zé'));

  // The last column comes into view when it is chosen.
  const columns = await control(page, list).locator('.grid-title[data-col]').count();
  for (let i = 1; i < columns - 1; i++) await press(page, 'ArrowRight');
  const area = await visibleArea(control(page, list).locator('.grid-body'));
  assert.ok(area.sideways, 'the list is wider than its window');
  const lastTitle = await box(control(page, list).locator(`.grid-title[data-col="${columns - 1}"]`));
  assert.ok(lastTitle.right <= area.right + 0.5 && lastTitle.left >= area.left - 0.5, 'the code column is reachable');
  await click(page, 'dlgPesquisa.btnCancel');
  assert.equal(await dialog.count(), 0);
});
