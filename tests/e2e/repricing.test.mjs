// A mass repricing made safe, in the browser: the recalculation is previewed from the
// formula screen without writing anything, run, found in the customer's price history,
// and undone there, after which the price table shows the old prices again.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { formattedRegistration, sqlRows } from './support/database.mjs';
import { useSystemAndBrowser, gridTexts, messageText, openPriceTable, click, control, press, screenshot, shownText, waitIdle } from './support/browser.mjs';

const MAIN_GRID = 'frmTabPreClie.dbgPadrao';
const PRICE = 2;

let system;
let page;

function storedPrices() {
  return sqlRows(system.db, "SELECT COUNT(*), SUM(VRPRECOPROD) FROM TABPRECLIE WHERE CDCLIENTE = '000001'")[0];
}

useSystemAndBrowser(undefined, (s, p) => {
  system = s;
  page = p;
});

test('a recalculation is previewed, run, seen in the history and undone', async () => {
  const [[number, kind]] = sqlRows(system.db, "SELECT NRINSJURCLIE, IDTPIJURCLIE FROM CLIENTE WHERE CDCLIENTE = '000001'");
  await openPriceTable(page, formattedRegistration(number, kind));
  const pricesBefore = await gridTexts(page, MAIN_GRID, PRICE, 5);
  const storedBefore = storedPrices();

  await click(page, 'frmTabPreClie.sbtFormComp');
  await click(page, 'frmFormCompPreco.sbtPrevia');
  const preview = page.locator('.window.modal[data-name="frmPrevia"]');
  assert.equal(await preview.count(), 1, 'the preview is a modal window');
  assert.match(await preview.locator('.title-caption').innerText(), /Prévia/);
  assert.match(await shownText(page, 'frmPrevia.lblResumo'), /^Preços a criar: [\d.]+ \| a alterar: [\d.]+ \| sem alteração: /);
  assert.ok(await control(page, 'frmPrevia.dbgPrevia').locator('.grid-cell[data-row="0"]').count() > 0, 'rows listed');
  assert.deepEqual(storedPrices(), storedBefore, 'the preview wrote nothing');
  await screenshot(page, 'repricing-preview');
  await click(page, 'frmPrevia.sbtCancel');

  await press(page, 'Enter');
  assert.match(await messageText(page), /Deseja recalcular o preço dos produtos/);
  await click(page, 'dlgMessage.btnYes');
  await page.waitForSelector('.window[data-name="dlgMessage"]', { timeout: 30000 });
  await waitIdle(page);
  assert.match(await messageText(page), /Recálculo de preços realizado com sucesso\./);
  await click(page, 'dlgMessage.btnOK');
  const pricesAfter = await gridTexts(page, MAIN_GRID, PRICE, 5);
  assert.notDeepEqual(pricesAfter, pricesBefore, 'the recalculation changed the prices');

  await click(page, 'frmTabPreClie.sbtHistorico');
  const history = page.locator('.window.modal[data-name="frmHistPreco"]');
  assert.equal(await history.count(), 1, 'the history is a modal window');
  assert.match(await history.locator('.title-caption').innerText(), /Histórico de Preços/);
  await click(page, 'frmHistPreco.rbtTodosProd');
  const origin = control(page, 'frmHistPreco.dbgHistorico').locator('.grid-cell[data-row="0"][data-col="1"]');
  assert.equal((await origin.innerText()).trim(), 'Recálculo');
  await screenshot(page, 'repricing-history');

  await click(page, 'frmHistPreco.sbtDesfazer');
  assert.match(await messageText(page), /^Desfazer o lote \d+ \(Recálculo de /);
  await click(page, 'dlgMessage.btnYes');
  assert.match(await messageText(page), /^Preços restaurados: [\d]+\./);
  await click(page, 'dlgMessage.btnOK');
  assert.equal((await origin.innerText()).trim(), 'Desfazer');
  await screenshot(page, 'repricing-undone');
  await click(page, 'frmHistPreco.sbtCancel');

  assert.deepEqual(await gridTexts(page, MAIN_GRID, PRICE, 5), pricesBefore, 'the old prices are back in the price table');
  assert.deepEqual(storedPrices(), storedBefore);
});
