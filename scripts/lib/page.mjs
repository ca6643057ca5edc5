// Drives a page in headless Chromium through the DevTools protocol on a pipe, step by step:
//   node scripts/lib/page.mjs [--before FILE.js] URL STEP...
// --before: a script that runs in the page before the page's own. Steps, in order:
//   wait:EXPR   until the expression is true (60 s at most); print:EXPR   its value, one line
//   check:EXPR  fail unless it is true now
//   key:CODE    press and release a key (Space)
// An expression may be a promise, whose value is taken.
//   shot:FILE   a PNG of the canvas #picture, its own pixels, at one pixel a CSS pixel
// Exits with 1, saying which step failed, on a timeout or an error in the page.
import {spawn} from 'node:child_process';
import {mkdtempSync, readFileSync, rmSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';

const waitMs = Number(process.env.PAGE_WAIT_MS ?? 60000);
const args = process.argv.slice(2);
const before = args[0] === '--before' ? readFileSync(args.splice(0, 2)[1], 'utf8') : null;
const [url, ...steps] = args;
const profile = mkdtempSync(join(tmpdir(), 'page-'));
const browser = spawn('chromium', [
    '--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--force-device-scale-factor=1', '--window-size=800,800', `--user-data-dir=${profile}`,
    '--remote-debugging-pipe', 'about:blank'], {stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe']});
let log = '';
browser.stderr.on('data', (chunk) => { log = (log + chunk).slice(-2000); });

// Messages each way are JSON, each ended by a NUL byte.
const pending = new Map();
let nextId = 1;
let received = '';
browser.stdio[4].on('data', (chunk) => {
    received += chunk;
    for (let end; (end = received.indexOf('\0')) >= 0; received = received.slice(end + 1)) {
        const message = JSON.parse(received.slice(0, end));
        const waiting = pending.get(message.id ?? message.method);
        if (waiting) {
            pending.delete(message.id ?? message.method);
            message.error ? waiting.reject(new Error(message.error.message)) : waiting.resolve(message.result);
        }
    }
});
// The answer to a command, or the next event of a name.
const answer = (key) => new Promise((resolve, reject) => pending.set(key, {resolve, reject}));
function send(method, params = {}, sessionId = undefined) {
    const id = nextId++;
    browser.stdio[3].write(JSON.stringify({id, method, params, sessionId}) + '\0');
    return answer(id);
}

async function evaluate(page, expression) {
    const {result, exceptionDetails} = await page('Runtime.evaluate', {expression, returnByValue: true, awaitPromise: true});
    if (exceptionDetails) {
        throw new Error(`${expression}: ${exceptionDetails.exception?.description ?? exceptionDetails.text}`);
    }
    return result.value;
}

async function waitFor(page, expression) {
    for (const end = Date.now() + waitMs; !(await evaluate(page, expression));) {
        if (Date.now() > end) {
            throw new Error(`not true after ${waitMs / 1000} s: ${expression}`);
        }
        await new Promise((resolve) => setTimeout(resolve, 20));
    }
}

async function press(page, code) {
    const key = {Space: ' '}[code] ?? code;
    for (const type of ['keyDown', 'keyUp']) {
        await page('Input.dispatchKeyEvent', {type, code, key, windowsVirtualKeyCode: key.charCodeAt(0)});
    }
}

async function screenshot(page, file) {
    const box = await evaluate(page, 'JSON.stringify(document.getElementById("picture").getBoundingClientRect())');
    const {x, y, width, height} = JSON.parse(box);
    const {data} = await page('Page.captureScreenshot', {format: 'png', clip: {x, y, width, height, scale: 1}});
    writeFileSync(file, Buffer.from(data, 'base64'));
}

const verbs = {
    wait: waitFor,
    print: async (page, expression) => console.log(await evaluate(page, expression)),
    check: async (page, expression) => {
        if (!(await evaluate(page, expression))) {
            throw new Error('not true');
        }
    },
    key: press,
    shot: screenshot,
};

let status = 0;
let step = 'start';
try {
    const {targetId} = await send('Target.createTarget', {url: 'about:blank'});
    const {sessionId} = await send('Target.attachToTarget', {targetId, flatten: true});
    const page = (method, params) => send(method, params, sessionId);
    await page('Page.enable');
    if (before !== null) {
        await page('Page.addScriptToEvaluateOnNewDocument', {source: before});
    }
    step = `open ${url}`;
    const loaded = answer('Page.loadEventFired');
    await page('Page.navigate', {url});
    await loaded;
    for (step of steps) {
        const [, verb, operand] = step.match(/^(\w+):(.*)$/s) ?? [];
        if (!Object.hasOwn(verbs, verb)) {
            throw new Error('no such step');
        }
        await verbs[verb](page, operand);
    }
} catch (error) {
    console.error(`page.mjs: ${step}: ${error.message}\n--- the end of chromium's output ---\n${log}`);
    status = 1;
}
// Chromium ends its own helper processes when asked to close; killed only if it does not.
const exited = new Promise((resolve) => browser.once('exit', resolve));
send('Browser.close').catch(() => {});
const stopping = setTimeout(() => browser.kill(), 10000);
await exited;
clearTimeout(stopping);
rmSync(profile, {recursive: true, force: true, maxRetries: 5});
process.exit(status);
