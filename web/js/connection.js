// The WebSocket to the host: one JSON message per text frame, both ways.
// The page URL carries the session token; the socket presents it on upgrade.

const RETRY_MS = 1500;

export class Connection {
  constructor({ onMessage, onStatus }) {
    this.onMessage = onMessage;
    this.onStatus = onStatus;
    this.socket = null;
    this.closedByHost = false;
    this.everOpened = false;
  }

  open() {
    const token = new URLSearchParams(location.search).get('token') || '';
    const scheme = location.protocol === 'https:' ? 'wss' : 'ws';
    const url = `${scheme}://${location.host}/ws?token=${encodeURIComponent(token)}`;
    this.socket = new WebSocket(url);
    this.socket.onopen = () => {
      this.everOpened = true;
      this.onStatus({ connected: true, everOpened: true });
    };
    this.socket.onmessage = (event) => {
      let message;
      try {
        message = JSON.parse(event.data);
      } catch {
        return;
      }
      if (message.type === 'refused') this.closedByHost = true;
      this.onMessage(message);
    };
    this.socket.onclose = (event) => {
      const refused = this.closedByHost;
      this.onStatus({ connected: false, reason: event.reason, refused, everOpened: this.everOpened });
      // A tab refused while another drives the session tries again, and takes over
      // once that one is closed.
      if (refused) {
        this.closedByHost = false;
        this.everOpened = false;
        setTimeout(() => this.open(), RETRY_MS);
      }
    };
  }

  send(message) {
    if (this.socket && this.socket.readyState === WebSocket.OPEN) {
      this.socket.send(JSON.stringify(message));
    }
  }
}
