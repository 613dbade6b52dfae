// The customer price table in the browser, its main path: open it from the menu, find
// a customer by its registration number, change a price, delete another, then close
// and open the screen again and see what the server stored.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { formattedRegistration, sqlRows } from './support/database.mjs';
import { startSystem } from './support/system.mjs';
import { openBrowser, click, control, press, screenshot, seq, shownText, type, waitIdle } from './support/browser.mjs';

const GRID = 'frmTabPreClie.dbgPadrao';
const PRICE = 2;

let system;
let browser;
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
  await page.locator('.menu-top', { hasText: 'Cadastros' }).dispatchEvent('mousedown');
  const before = await seq(page);
  await page.locator('.popup-item', { hasText: 'Tabela de Preço por Cliente' }).dispatchEvent('mousedown');
  await waitIdle(page, before);
  assert.equal(await page.locator('.window[data-name="frmTabPreClie"]').count(), 1);
}

async function chooseCustomer(customer) {
  await click(page, 'frmTabPreClie.medCdClie');
  await type(page, customer.formatted);
  await press(page, 'Tab');
  assert.equal(await shownText(page, 'frmTabPreClie.edtNmClie'), customer.name);
}

async function clickCell(row, col) {
  const cell = control(page, GRID).locator(`.grid-cell[data-row="${row}"][data-col="${col}"]`);
  if (!(await cell.count())) {
    const before = await seq(page);
    await control(page, GRID).locator('.grid-body').evaluate((node, r) => { node.scrollTop = r * 18; }, row);
    await waitIdle(page, before);
  }
  const before = await seq(page);
  await control(page, GRID).locator(`.grid-cell[data-row="${row}"][data-col="${col}"]`).dispatchEvent('mousedown');
  await waitIdle(page, before);
}

async function cellText(row, col) {
  const cell = control(page, GRID).locator(`.grid-cell[data-row="${row}"][data-col="${col}"]`);
  return (await cell.innerText()).trim();
}

before(async () => {
  system = await startSystem();
  browser = await openBrowser(system.url);
  page = browser.page;
});

after(async () => {
  if (browser) await browser.close();
  if (system) await system.stop();
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
  await screenshot(page, 'price-table-unknown-customer');
  await press(page, 'Enter');
  assert.equal(await page.locator('.window[data-name="dlgMessage"]').count(), 0);
  assert.ok(await control(page, 'frmTabPreClie.medCdClie').evaluate((n) => n.classList.contains('focused')));
});
